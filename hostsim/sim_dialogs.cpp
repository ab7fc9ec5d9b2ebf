// sim_dialogs.cpp - modal dialogs of the substitute host: built from the
// module's compiled templates, run by a modal loop that hands the dialog to
// the user callback.
#include "hostsim/sim_dialogs.h"

#include <strings.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "tools/dialogs/dialog_template.h"

// The resource script compiled for this host (generated at build time).
extern const unsigned char kSimDialogResources[];
extern const std::size_t kSimDialogResourcesSize;

namespace hostsim {
namespace {

constexpr std::uint32_t kStyleDisabled = 0x08000000;  // WS_DISABLED
constexpr std::uint32_t kStyleGroup = 0x00020000;     // WS_GROUP
constexpr std::uint32_t kStyleTabStop = 0x00010000;   // WS_TABSTOP
constexpr std::uint32_t kStyleCaption = 0x00C00000;   // WS_CAPTION
constexpr std::uint32_t kStyleSysMenu = 0x00080000;   // WS_SYSMENU
constexpr std::uint32_t kStyleCenter = 0x0800;        // DS_CENTER
constexpr std::uint32_t kButtonTypeMask = 0x0F;
constexpr std::uint32_t kPushButton = 0x0, kDefPushButton = 0x1, kAutoCheckBox = 0x3, kGroupBox = 0x7,
                        kAutoRadioButton = 0x9;
constexpr PlatWParam kNotifyClicked = 0;        // BN_CLICKED
constexpr PlatWParam kNotifyChange = 0x0300;    // EN_CHANGE
constexpr PlatWParam kCloseCommand = 0xF060;    // SC_CLOSE
constexpr int kVkTab = 0x09, kVkReturn = 0x0D, kVkControl = 0x11, kVkAlt = 0x12, kVkEscape = 0x1B, kVkF10 = 0x79;
constexpr int kFrame = 3, kCaptionHeight = 19;  // pixels of a modal frame and a caption

SimDialogs g_dialogs;

PlatWParam MakeWParam(int low, PlatWParam high) {
    return (PlatWParam(std::uint16_t(low))) | (high << 16);
}

// [SECTION] Templates

const dlgtpl::Template* FindTemplate(int id) {
    static std::vector<dlgtpl::ResEntry> entries;
    static std::vector<std::pair<int, dlgtpl::Template>> parsed;
    static bool read = false;
    if (!read) {
        read = true;
        dlgtpl::ReadResFile(kSimDialogResources, kSimDialogResourcesSize, &entries);
        for (const dlgtpl::ResEntry& e : entries) {
            dlgtpl::Template t;
            if (e.type == dlgtpl::kResourceTypeDialog && dlgtpl::ParseTemplate(e.data, e.size, &t)) {
                parsed.emplace_back(e.id, t);
            }
        }
    }
    for (const auto& [tid, t] : parsed) {
        if (tid == id) return &t;
    }
    return nullptr;
}

// Dialog units of the 8-point font to pixels (base units 6 x 13).
std::int32_t UnitsX(int units) {
    return std::int32_t(units) * 6 / 4;
}

std::int32_t UnitsY(int units) {
    return std::int32_t(units) * 13 / 8;
}

// Class names are not case sensitive; a window tells the registered
// spelling (the resource compiler writes named classes in capitals).
std::string RegisteredClass(const std::string& name) {
    static const char* const kClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox",
                                           "SysListView32"};
    for (const char* known : kClasses) {
        if (::strcasecmp(known, name.c_str()) == 0) return known;
    }
    return name;
}

PlatWindow NewHandle() {
    return reinterpret_cast<PlatWindow>(g_dialogs.nextHandle++);
}

PlatResult PLAT_CALLBACK ControlDefaultProc(PlatWindow, std::uint32_t, PlatWParam, PlatLParam) {
    return 0;  // DefWindowProc: nothing the module can see
}

void PlaceDialog(SimDialog* d, const dlgtpl::Template& t) {
    d->width = UnitsX(t.cx) + 2 * kFrame;
    d->height = UnitsY(t.cy) + 2 * kFrame + ((t.style & kStyleCaption) == kStyleCaption ? kCaptionHeight : 0);
    if (t.style & kStyleCenter) {
        d->x = (kSimScreenWidth - d->width) / 2;
        d->y = (kSimScreenHeight - d->height) / 2;
        return;
    }
    // Template positions count from the owner's client area.
    std::int32_t originX = TheScreen().clientX, originY = TheScreen().clientY;
    if (const SimDialog* owner = DialogOf(d->owner)) {
        originX = owner->x + kFrame;
        originY = owner->y + kFrame + kCaptionHeight;
    }
    d->x = originX + UnitsX(t.x);
    d->y = originY + UnitsY(t.y);
}

SimDialog* CreateDialog(const dlgtpl::Template& t, int templateId, PlatWindow owner, PlatDialogProc proc) {
    auto d = std::make_unique<SimDialog>();
    d->templateId = templateId;
    d->handle = NewHandle();
    d->owner = owner;
    d->proc = proc;
    d->caption = t.caption;
    d->style = t.style;
    for (const dlgtpl::Control& c : t.controls) {
        SimControl control{};
        control.handle = NewHandle();
        control.id = c.id == 0xFFFF ? -1 : c.id;
        control.className = RegisteredClass(c.className);
        control.style = c.style;
        control.text = c.text;
        control.proc = ControlDefaultProc;
        d->controls.push_back(control);
    }
    PlaceDialog(d.get(), t);
    g_dialogs.open.push_back(std::move(d));
    return g_dialogs.open.back().get();
}

bool IsDisabled(const SimControl& c) {
    return (c.style & kStyleDisabled) != 0;
}

bool IsPushButton(const SimControl& c) {
    std::uint32_t type = c.style & kButtonTypeMask;
    return c.className == "Button" && (type == kPushButton || type == kDefPushButton);
}

// The control that gets the focus when WM_INITDIALOG asks for it: the first
// enabled tab stop, else the first control (wine and Windows agree).
PlatWindow FirstFocus(const SimDialog& d) {
    for (const SimControl& c : d.controls) {
        if ((c.style & kStyleTabStop) && !IsDisabled(c)) return c.handle;
    }
    return d.controls.empty() ? nullptr : d.controls.front().handle;
}

SimDialog* DialogHolding(PlatWindow window) {
    for (auto& d : g_dialogs.open) {
        if (d->handle == window) return d.get();
        for (SimControl& c : d->controls) {
            if (c.handle == window) return d.get();
        }
    }
    return nullptr;
}

// [SECTION] Message delivery

// DefDlgProc: the dialog procedure first; the close box, when the procedure
// leaves WM_SYSCOMMAND and WM_CLOSE alone, becomes a posted IDCANCEL.
PlatResult DialogWindowProc(SimDialog* d, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    PlatResult result = d->proc(d->handle, message, wParam, lParam);
    if (result != 0) return result;
    if (message == kMsgSysCommand && (wParam & 0xFFF0) == kCloseCommand) {
        SendToWindow(d->handle, kMsgClose, 0, 0);
    } else if (message == kMsgClose) {
        SimControl* cancel = ControlById(d->handle, kIdCancel);
        if (!cancel || !IsDisabled(*cancel)) {
            PostMessage(d->handle, kMsgCommand, MakeWParam(kIdCancel, kNotifyClicked),
                        reinterpret_cast<PlatLParam>(cancel ? cancel->handle : nullptr));
        }
    }
    return 0;
}

PlatResult Dispatch(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    if (SimDialog* d = DialogOf(window)) return DialogWindowProc(d, message, wParam, lParam);
    if (SimControl* c = ControlOf(window)) return c->proc(window, message, wParam, lParam);
    return 0;  // a host window: its procedure only receives
}

PlatHookProc InstalledHook(int slot) {
    const Hook& hook = Get().hooks[slot];
    return (hook.proc && hook.thread == Get().currentThread) ? hook.proc : nullptr;
}

// IsDialogMessage of the innermost dialog: Escape is IDCANCEL, Return the
// default push button (the focused one, else the default, else IDOK), Tab
// moves the focus; 1 when it took the message.
bool DialogManagerTakes(SimDialog* d, const HookQueuedMessage& msg) {
    if (msg.message != kMsgKeyDown || DialogHolding(msg.window) != d) return false;
    if (msg.wParam == PlatWParam(kVkEscape)) {
        SimControl* cancel = ControlById(d->handle, kIdCancel);
        SendToWindow(d->handle, kMsgCommand, PlatWParam(kIdCancel),
                     reinterpret_cast<PlatLParam>(cancel ? cancel->handle : nullptr));
        return true;
    }
    if (msg.wParam == PlatWParam(kVkReturn)) {
        SimControl* target = ControlOf(d->focus);
        if (!target || !IsPushButton(*target)) {
            target = nullptr;
            for (SimControl& c : d->controls) {
                if (c.className == "Button" && (c.style & kButtonTypeMask) == kDefPushButton) target = &c;
            }
        }
        if (target && IsDisabled(*target)) return true;
        int id = target ? target->id : kIdOk;
        SendToWindow(d->handle, kMsgCommand, MakeWParam(id, kNotifyClicked),
                     reinterpret_cast<PlatLParam>(target ? target->handle : nullptr));
        return true;
    }
    if (msg.wParam == PlatWParam(kVkTab)) {
        std::size_t at = 0;
        for (; at < d->controls.size() && d->controls[at].handle != d->focus; at++) {
        }
        for (std::size_t step = 1; step <= d->controls.size(); step++) {
            const SimControl& c = d->controls[(at + step) % d->controls.size()];
            if ((c.style & kStyleTabStop) && !IsDisabled(c)) {
                d->focus = c.handle;
                break;
            }
        }
        return true;
    }
    return false;
}

// One queued message as the modal loop takes it: the WH_GETMESSAGE hook
// (which may turn it into a null message), the dialog manager, the window.
void Deliver(const QueuedMessage& q) {
    HookQueuedMessage msg{q.window, q.message, q.wParam, q.lParam, Get().clockMs, 0, 0};
    if (PlatHookProc proc = InstalledHook(0)) proc(0, 1, reinterpret_cast<PlatLParam>(&msg));
    if (msg.message == kMsgNull) return;
    SimDialog* top = TopDialog();
    if (top && DialogManagerTakes(top, msg)) return;
    Dispatch(msg.window, msg.message, msg.wParam, msg.lParam);
}

void DestroyDialog(SimDialog* d, bool abandoned) {
    SendToWindow(d->handle, kMsgDestroy, 0, 0);
    for (SimControl& c : d->controls) SendToWindow(c.handle, kMsgDestroy, 0, 0);
    for (SimControl& c : d->controls) SendToWindow(c.handle, kMsgNcDestroy, 0, 0);
    SendToWindow(d->handle, kMsgNcDestroy, 0, 0);
    // Destroying the window that holds the mouse capture releases it.
    if (Get().capture && DialogHolding(Get().capture) == d) Get().capture = nullptr;
    LogCall("dialog %d closed %lld%s", d->templateId, (long long)d->result, abandoned ? " abandoned" : "");
    g_dialogs.closed.push_back(ClosedDialog{d->templateId, d->result, abandoned});
    auto& open = g_dialogs.open;
    for (std::size_t i = open.size(); i-- > 0;) {
        if (open[i].get() == d) {
            open.erase(open.begin() + long(i));
            break;
        }
    }
}

SimControl* TopControl(int id, const char* className) {
    SimDialog* d = TopDialog();
    SimControl* c = d ? ControlById(d->handle, id) : nullptr;
    return (c && c->className == className) ? c : nullptr;
}

}  // namespace

SimDialogs& Dialogs() {
    return g_dialogs;
}

void ResetDialogs() {
    g_dialogs.open.clear();
    g_dialogs.closed.clear();
    g_dialogs.calls.clear();
    g_dialogs.nextHandle = 0x4000;
    g_dialogs.systemMenuClicks = 0;
    g_dialogs.altAlone = false;
    g_dialogs.user = nullptr;
}

void SetDialogUser(std::function<void(PlatWindow dialog)> user) {
    g_dialogs.user = std::move(user);
}

void LogCall(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_dialogs.calls.push_back(text);
}

// [SECTION] The module's side

PlatResult RunModalDialog(int templateId, PlatWindow owner, PlatDialogProc proc, PlatLParam param) {
    const dlgtpl::Template* t = FindTemplate(templateId);
    if (!t || !proc) return -1;
    SimDialog* d = CreateDialog(*t, templateId, owner, proc);
    LogCall("dialog %d open", templateId);
    SendToWindow(d->handle, kMsgSetFont, 0, 0);
    PlatWindow first = FirstFocus(*d);
    if (SendToWindow(d->handle, kMsgInitDialog, reinterpret_cast<PlatWParam>(first), param) != 0) d->focus = first;
    PumpDialogs();
    if (!d->ended && g_dialogs.user) {
        std::function<void(PlatWindow)> user = g_dialogs.user;  // the user may replace itself
        user(d->handle);
    }
    bool abandoned = !d->ended;
    if (abandoned) d->ended = true, d->result = 0;
    PlatResult result = d->result;
    DestroyDialog(d, abandoned);
    return result;
}

void EndDialog(PlatWindow dialog, PlatResult result) {
    SimDialog* d = DialogOf(dialog);
    if (!d || d->ended) return;
    d->ended = true;
    d->result = result;
}

SimDialog* DialogOf(PlatWindow window) {
    for (auto& d : g_dialogs.open) {
        if (d->handle == window) return d.get();
    }
    return nullptr;
}

SimControl* ControlOf(PlatWindow window) {
    if (!window) return nullptr;
    for (auto& d : g_dialogs.open) {
        for (SimControl& c : d->controls) {
            if (c.handle == window) return &c;
        }
    }
    return nullptr;
}

SimControl* ControlById(PlatWindow dialog, int id) {
    SimDialog* d = DialogOf(dialog);
    if (!d) return nullptr;
    for (SimControl& c : d->controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

PlatWindow ParentOf(PlatWindow window) {
    if (SimDialog* d = DialogOf(window)) return d->owner;
    SimDialog* holder = DialogHolding(window);
    return holder ? holder->handle : nullptr;
}

PlatResult SendToWindow(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    HookCallRecord record{lParam, wParam, message, window};
    if (PlatHookProc proc = InstalledHook(1)) proc(0, 1, reinterpret_cast<PlatLParam>(&record));
    return Dispatch(window, message, wParam, lParam);
}

PlatResult CallControlDefault(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    return ControlDefaultProc(window, message, wParam, lParam);
}

// [SECTION] The user's side

SimDialog* TopDialog() {
    auto& open = g_dialogs.open;
    for (std::size_t i = open.size(); i-- > 0;) {
        if (!open[i]->ended) return open[i].get();
    }
    return nullptr;
}

bool DialogIsOpen(PlatWindow dialog) {
    const SimDialog* d = DialogOf(dialog);
    return d && !d->ended;
}

void PumpDialogs() {
    SimDialog* top = TopDialog();
    auto& queue = Get().queue;
    // The modal loop of a dialog that has ended takes nothing more.
    while (!queue.empty() && !(top && top->ended)) {
        QueuedMessage q = queue.front();
        queue.erase(queue.begin());
        Deliver(q);
    }
}

bool TypeText(int id, const std::string& text) {
    SimControl* edit = TopControl(id, "Edit");
    if (!edit || IsDisabled(*edit)) return false;
    SimDialog* d = TopDialog();
    d->focus = edit->handle;
    // Typing over the whole text: the first character (or Backspace, for
    // an empty text) replaces it, then one change a character.
    std::size_t changes = text.empty() ? 1 : text.size();
    for (std::size_t i = 0; i < changes && DialogIsOpen(d->handle); i++) {
        edit->text = text.substr(0, text.empty() ? 0 : i + 1);
        SendToWindow(d->handle, kMsgCommand, MakeWParam(edit->id, kNotifyChange),
                     reinterpret_cast<PlatLParam>(edit->handle));
    }
    PumpDialogs();
    return true;
}

bool Click(int id) {
    SimControl* button = TopControl(id, "Button");
    if (!button) return false;
    std::uint32_t type = button->style & kButtonTypeMask;
    if (IsDisabled(*button) || type == kGroupBox) return true;
    SimDialog* d = TopDialog();
    d->focus = button->handle;
    if (type == kAutoCheckBox) button->checked = !button->checked;
    if (type == kAutoRadioButton) {
        // The group runs from the control with WS_GROUP at or before this one
        // to the next control with WS_GROUP.
        std::size_t at = std::size_t(button - d->controls.data());
        std::size_t first = at;
        while (first > 0 && !(d->controls[first].style & kStyleGroup)) first--;
        for (std::size_t i = first; i < d->controls.size(); i++) {
            if (i > first && (d->controls[i].style & kStyleGroup)) break;
            SimControl& c = d->controls[i];
            if (c.className == "Button" && (c.style & kButtonTypeMask) == kAutoRadioButton) c.checked = (i == at);
        }
    }
    SendToWindow(d->handle, kMsgCommand, MakeWParam(button->id, kNotifyClicked),
                 reinterpret_cast<PlatLParam>(button->handle));
    PumpDialogs();
    return true;
}

bool SelectRows(int id, const std::vector<int>& rows) {
    SimControl* list = TopControl(id, "SysListView32");
    if (!list) return false;
    for (int row : rows) {
        if (row < 0 || std::size_t(row) >= list->rows.size()) return false;
    }
    for (SimListRow& row : list->rows) row.selected = false;
    for (int row : rows) list->rows[std::size_t(row)].selected = true;
    TopDialog()->focus = list->handle;
    PumpDialogs();
    return true;
}

// Keyboard messages as the system makes them: with ALT down (and CONTROL
// up) and for F10 they are WM_SYSKEYDOWN / WM_SYSKEYUP; the release of ALT
// is WM_SYSKEYUP only when no key came between its press and release.
void Key(int vk, bool down) {
    SimDialog* d = TopDialog();
    if (vk < 0 || vk > 255) return;
    bool* keys = Get().keysDown;
    bool wasDown = keys[vk];
    bool sys = false;
    if (vk == kVkAlt) {
        sys = down ? !keys[kVkControl] : g_dialogs.altAlone;
        g_dialogs.altAlone = down && sys;
    } else {
        sys = vk == kVkF10 || (keys[kVkAlt] && !keys[kVkControl]);
        if (sys) g_dialogs.altAlone = false;
    }
    keys[vk] = down;
    std::uint32_t context = keys[kVkAlt] ? 0x20000000u : 0u;
    const std::uint32_t keyMessage = down ? kMsgKeyDown : kMsgKeyUp;
    const std::uint32_t sysMessage = down ? kMsgSysKeyDown : kMsgSysKeyUp;
    const std::uint32_t message = sys ? sysMessage : keyMessage;
    std::uint32_t lParam = down ? (1u | context | (wasDown ? 0x40000000u : 0u)) : (0xC0000001u | context);
    PlatWindow target = d ? (d->focus ? d->focus : d->handle) : FindWindowByName("main");
    PostMessage(target, message, PlatWParam(vk), PlatLParam(std::int32_t(lParam)));
    PumpDialogs();
}

// The window a mouse message of the user goes to.
static PlatWindow MouseTarget() {
    if (Get().capture && DialogHolding(Get().capture)) return Get().capture;
    SimDialog* d = TopDialog();
    return d ? d->handle : FindWindowByName("main");
}

void MouseWheel(int notches) {
    PlatWParam turn = PlatWParam(std::uint16_t(std::int16_t(notches * 120))) << 16;
    PostMessage(MouseTarget(), kMsgMouseWheel, turn, 0);
    PumpDialogs();
}

void MouseButton(int button, bool down) {
    static const std::uint32_t kDown[] = {kMsgLButtonDown, kMsgRButtonDown, kMsgMButtonDown};
    static const std::uint32_t kUp[] = {kMsgLButtonUp, kMsgRButtonUp, kMsgMButtonUp};
    static const PlatWParam kFlags[] = {0x01, 0x02, 0x10};  // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
    if (button < 0 || button > 2) return;
    PostMessage(MouseTarget(), down ? kDown[button] : kUp[button], down ? kFlags[button] : 0, 0);
    PumpDialogs();
}

bool CloseBox() {
    SimDialog* d = TopDialog();
    if (!d || (d->style & kStyleCaption) != kStyleCaption || !(d->style & kStyleSysMenu)) return false;
    SendToWindow(d->handle, kMsgSysCommand, kCloseCommand, 0);
    PumpDialogs();
    return true;
}

// Each timer fires once for every period that has passed, earliest first,
// and the loop handles what the timer caused before the next one.
void RunDialogTimers() {
    for (int guard = 0; guard < 100000; guard++) {
        SimDialog* due = nullptr;
        SimTimer* timer = nullptr;
        for (auto& d : g_dialogs.open) {
            if (d->ended) continue;
            for (SimTimer& t : d->timers) {
                if (t.dueMs <= Get().clockMs && (!timer || t.dueMs < timer->dueMs)) due = d.get(), timer = &t;
            }
        }
        if (!timer) return;
        timer->dueMs += timer->periodMs ? timer->periodMs : 1;
        Deliver(QueuedMessage{due->handle, kMsgTimer, timer->id, 0});
        PumpDialogs();
    }
}

}  // namespace hostsim
