// router.cpp - hooks, message routing and the module menu.
// Touches: MainState, ShellState, HostgateContext; menus through the seam.
#include "shell/router.h"

#include "camera/camera_tick.h"
#include "dialogs/setup_dialog.h"
#include "files/view_file.h"
#include "host/hostgate.h"
#include "input/input.h"
#include "input/key_dialogs.h"
#include "shell/commands.h"
#include "shell/main_state.h"
#include "sound/effect_sounds.h"

static constexpr int kHcAction = 0;
static constexpr PlatWParam kPmRemove = 1;

PlatResult CallWndProcHook(int code, PlatWParam flag, PlatLParam record) {
    HookCallRecord* r = reinterpret_cast<HookCallRecord*>(record);
    if (code == kHcAction && RouteHostMessage(r->window, r->message, r->wParam, r->lParam)) {
        r->window = nullptr;
        r->message = kMsgNull;
        return 0;
    }
    return PlatCallNextHook(g_shell.callWndProcHook, code, flag, record);
}

PlatResult GetMessageHook(int code, PlatWParam removal, PlatLParam message) {
    HookQueuedMessage* m = reinterpret_cast<HookQueuedMessage*>(message);
    if (code == kHcAction && removal == kPmRemove &&
        RouteHostMessage(m->window, m->message, m->wParam, m->lParam)) {
        m->window = nullptr;
        m->message = kMsgNull;
        return 0;
    }
    return PlatCallNextHook(g_shell.getMessageHook, code, removal, message);
}

static bool IsKeyMessage(std::uint32_t message) {
    return message == kMsgKeyDown || message == kMsgKeyUp;
}

static bool IsMouseMessage(std::uint32_t message) {
    switch (message) {
    case kMsgMouseMove:
    case kMsgLButtonDown:
    case kMsgLButtonUp:
    case kMsgRButtonDown:
    case kMsgRButtonUp:
    case kMsgMButtonDown:
    case kMsgMButtonUp:
    case kMsgMouseWheel:
        return true;
    default:
        return false;
    }
}

static void Toggle(int* flag) {
    *flag = !*flag;
}

static int RunMenuCommand(PlatWindow window, std::uint32_t id) {
    switch (id) {
    case kMenuFlyBy: ToggleFlyBy(); return 1;
    case kMenuApproach: ToggleApproachView(); return 1;
    case kMenuSetup: OpenSetupDialog(window); return 1;
    case kMenuInternalView: Toggle(&g_main.InternalViewActive); return 1;
    case kMenuExternalView: ToggleExternalView(); return 1;
    case kMenuTrafficView: ToggleTrafficView(); return 1;
    case kMenuLookAtView: ToggleLookAtView(); return 1;
    case kMenuWheelZoom: Toggle(&g_main.EnableWheelZoom); return 1;
    case kMenuMouseInSpot: Toggle(&g_main.UseMouseInSpot); return 1;
    case kMenuSound:
        Toggle(&g_main.SoundOn);
        if (g_main.SoundOn) {
            ResumeEffectSounds();
        } else {
            PauseEffectSounds();
        }
        return 1;
    // The view file and keys commands answer 0: the host's own window
    // procedure still sees them.
    case kMenuLoadViews: LoadViewFileCommand(window); return 0;
    case kMenuSaveViews: SaveViewFileCommand(window); return 0;
    case kMenuAbout: OpenAboutDialog(window); return 1;
    case kMenuKeys: OpenKeyAssignmentDialog(g_shell.HostMainWindow); return 0;
    case kMenuTowerMode: ToggleTowerMode(); return 1;
    default: return 0;
    }
}

int RouteHostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    if (message == kMsgHostFrame) CameraTick();  // never consumed: falls through to no match

    if (IsKeyMessage(message) || (g_main.InternalViewActive && IsMouseMessage(message))) {
        return InterpretInput(&g_hostgate, window, message, wParam, lParam);
    }
    if (window == nullptr || window != g_shell.HostMainWindow) return 0;
    if (message == kMsgInitMenu) {
        BuildModuleMenu();
        return 0;
    }
    if (message == kMsgCommand) return RunMenuCommand(window, std::uint32_t(wParam & 0xFFFF));
    return 0;
}

// [SECTION] Module menu

struct MenuEntry {
    std::uint32_t id;    // 0 for a separator
    const char* text;
    const int* checked;  // null: never checked
};

static const MenuEntry kMenuEntries[] = {
    {kMenuFlyBy, "Activate Fly-by", &g_main.FlyByActive},
    {kMenuApproach, "Activate Approach View", &g_main.ApproachActive},
    {0, nullptr, nullptr},
    {kMenuInternalView, "Internal pilot view", &g_main.InternalViewActive},
    {kMenuExternalView, "External pilot view", &g_main.ExternalViewActive},
    {0, nullptr, nullptr},
    {kMenuTrafficView, "Traffic track view", &g_main.TrafficViewActive},
    {kMenuLookAtView, "Scenery padlock view", &g_main.LookAtViewActive},
    {0, nullptr, nullptr},
    {kMenuWheelZoom, "Enable wheel zoom in VC", &g_main.EnableWheelZoom},
    {kMenuMouseInSpot, "Use mouse in Spot view", &g_main.UseMouseInSpot},
    {kMenuSound, "Sound on", &g_main.SoundOn},
    {0, nullptr, nullptr},
    {kMenuSaveViews, "Save view config...", nullptr},
    {kMenuLoadViews, "Load view config...", nullptr},
    {0, nullptr, nullptr},
    {kMenuSetup, "Setup...", nullptr},
    {kMenuKeys, "Keys...", nullptr},
    {kMenuAbout, "About...", nullptr},
};

// The host keeps its menu between openings, so the popup and separator
// appended last time are taken out again before the new ones go in.
static void RemovePreviousPopup() {
    PlatMenu parent = g_shell.modulePopupParent;
    PlatMenu popup = g_shell.modulePopup;
    g_shell.modulePopup = nullptr;
    g_shell.modulePopupParent = nullptr;
    if (!parent || !popup) return;
    int count = PlatMenuItemCount(parent);
    for (int i = count - 1; i >= 0; i--) {
        if (PlatSubMenu(parent, i) != popup) continue;
        PlatRemoveMenuItem(parent, i);
        // The separator appended just before the popup.
        if (i > 0 && PlatMenuItemIsSeparator(parent, i - 1)) PlatRemoveMenuItem(parent, i - 1);
        break;
    }
    PlatDestroyMenu(popup);
}

void BuildModuleMenu() {
    RemovePreviousPopup();
    PlatMenu popup = PlatCreatePopupMenu();
    for (const MenuEntry& e : kMenuEntries) {
        if (e.id == 0) {
            PlatAppendMenu(popup, kMenuSeparator, 0, nullptr);
            continue;
        }
        std::uint32_t flags = kMenuString;
        if (e.checked && *e.checked) flags |= kMenuChecked;
        PlatAppendMenu(popup, flags, e.id, e.text);
    }
    PlatMenu hostMenu = PlatSubMenu(PlatWindowMenuBar(g_shell.HostMainWindow), 3);
    if (!hostMenu) {  // no fourth top-level menu: the entries cannot show
        PlatDestroyMenu(popup);
        return;
    }
    PlatAppendMenu(hostMenu, kMenuSeparator, 0, nullptr);
    PlatAppendMenu(hostMenu, kMenuPopup, reinterpret_cast<std::uintptr_t>(popup), kModuleMenuTitle);
    g_shell.modulePopup = popup;
    g_shell.modulePopupParent = hostMenu;
}
