// win_dialogs.cpp - the module's dialogs under wine. A dialog of the
// module comes up inside the module's modal loop; a thread timer started
// when it is activated lets the script run from inside that loop, as the
// user would act on the dialog, until the dialog is closed. Which template
// an open dialog came from is read from the module's own resources.
#include "win_dialogs.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "screenshot.h"
#include "tools/dialogs/dialog_template.h"

namespace {

constexpr UINT kDriveDelayMs = 20;     // from activation to the script's first line in the dialog
constexpr DWORD kSettleMs = 40;        // input is handled for at least this long after an action
constexpr DWORD kFocusSettleMs = 400;  // a new dialog's loop runs this long before the script acts
constexpr int kCentreTolerance = 1;    // pixels: rounding of the two halves

struct OpenDialog {
    HWND hwnd;
    bool driven;  // the script has been handed this dialog
};

std::vector<OpenDialog> g_open;  // module dialogs in the order they came up
int g_systemMenuClicks;

bool IsOpen(HWND dialog) {
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

bool IsOpenCallback(void* dialog) {
    return IsOpen(static_cast<HWND>(dialog));
}

HMODULE Module() {
    return GetModuleHandleA("Skyvane2004.dll");
}

HWND Innermost() {
    for (auto it = g_open.rbegin(); it != g_open.rend(); ++it) {
        if (IsOpen(it->hwnd)) return it->hwnd;
    }
    return nullptr;
}

bool ClassIs(HWND window, const char* name) {
    char text[64] = {};
    GetClassNameA(window, text, sizeof text);
    return lstrcmpiA(text, name) == 0;
}

// Handle the thread's messages as the dialog's modal loop would, for at
// least `ms`, and until the queue is empty; stop at once when the dialog
// ends, leaving the rest to the loops outside.
void Pump(HWND dialog, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (IsOpen(dialog) && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (!IsOpen(dialog) || GetTickCount() - start >= ms) return;
        Sleep(5);
    }
}

// The script takes over the newest dialog not yet handed to it, once it
// shows (activation can come before the dialog is visible).
void PointAtMiddle(HWND dialog) {
    RECT r;
    POINT p;
    GetWindowRect(dialog, &r);
    if (GetCursorPos(&p) && PtInRect(&r, p)) return;
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// After an action: the dialog's loop, or the host's when it has closed.
void Settle(HWND dialog) {
    if (dialog && IsOpen(dialog)) return Pump(dialog, kSettleMs);
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < kSettleMs);
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    OpenDialog* next = nullptr;
    for (auto it = g_open.rbegin(); it != g_open.rend() && !next; ++it) {
        if (!it->driven && IsWindow(it->hwnd)) next = &*it;
    }
    if (!next) return;
    if (!IsWindowVisible(next->hwnd)) {
        SetTimer(nullptr, 0, kDriveDelayMs, DriveDialog);
        return;
    }
    next->driven = true;
    HWND dialog = next->hwnd;
    // The pointer goes over the dialog, where the user's clicks land. The X
    // server's focus and pointer events for the new window come in first:
    // on them wine resets its keyboard state to the X server's, which knows
    // nothing of keys pressed through SendInput.
    PointAtMiddle(dialog);
    Pump(dialog, kFocusSettleMs);
    RunScenarioInDialog(IsOpenCallback, dialog);
    if (IsOpen(dialog)) EndDialog(dialog, 0);  // the script ended with the dialog open
    for (std::size_t i = g_open.size(); i-- > 0;) {
        if (g_open[i].hwnd == dialog) g_open.erase(g_open.begin() + long(i));
    }
}

// [SECTION] What a dialog shows

// The template whose caption and control ids, in order, are the dialog's.
int TemplateOf(HWND dialog, const std::vector<int>& ids, const std::string& caption) {
    static const int kTemplates[] = {101, 102, 104, 105, 106};
    HMODULE module = Module();
    for (int id : kTemplates) {
        HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)) : nullptr;
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        dlgtpl::Template t;
        if (!bytes || !dlgtpl::ParseTemplate(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found), &t)) {
            continue;
        }
        if (t.caption != caption || t.controls.size() != ids.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < ids.size(); i++) same = same && int(std::uint16_t(ids[i])) == t.controls[i].id;
        if (same) return id;
    }
    return 0;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void ReadList(HWND list, DialogControlView* v) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int c = 0; c < columns; c++) {
        char text[128] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, WPARAM(c), reinterpret_cast<LPARAM>(&column));
        v->columns.emplace_back(text, column.cx);
    }
    int rows = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; r++) {
        std::vector<std::string> texts;
        for (int c = 0; c < (columns > 0 ? columns : 1); c++) {
            char text[256] = {};
            LVITEMA item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(r), reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        v->rows.push_back(texts);
        v->selected.push_back((SendMessageA(list, LVM_GETITEMSTATE, WPARAM(r), LVIS_SELECTED) & LVIS_SELECTED) != 0);
    }
}

DialogControlView ViewOf(HWND control) {
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    int id = GetDlgCtrlID(control);
    if (id == 0xFFFF) id = -1;
    DialogControlView v{id, className, WindowText(control), -1, IsWindowEnabled(control) != FALSE, {}, {}, {}};
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    bool checkable = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_3STATE ||
                     type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
    if (ClassIs(control, "Button") && checkable) {
        v.checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    if (ClassIs(control, "SysListView32")) {
        v.text.clear();
        ReadList(control, &v);
    }
    return v;
}

DialogView Describe(HWND dialog) {
    DialogView view{0, WindowText(dialog), false, {}};
    std::vector<int> ids;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        view.controls.push_back(ViewOf(c));
        ids.push_back(GetDlgCtrlID(c));
    }
    view.templateId = TemplateOf(dialog, ids, view.caption);
    RECT r;
    GetWindowRect(dialog, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    int left = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, top = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    view.centred = std::abs(r.left - left) <= kCentreTolerance && std::abs(r.top - top) <= kCentreTolerance;
    return view;
}

// [SECTION] The user's actions

HWND Control(int id, const char* className) {
    HWND dialog = Innermost();
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return (control && ClassIs(control, className)) ? control : nullptr;
}

void SendKey(int vk, bool down) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = WORD(vk);
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
}

void SendMouseButton(int button, bool down) {
    static const DWORD kDown[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
    static const DWORD kUp[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? kDown[button] : kUp[button];
    SendInput(1, &in, sizeof in);
}

class WinDialogDriver final : public DialogDriver {
public:
    std::vector<DialogView> OpenDialogs() override {
        std::vector<DialogView> views;
        for (const OpenDialog& d : g_open) {
            if (IsOpen(d.hwnd)) views.push_back(Describe(d.hwnd));
        }
        return views;
    }

    // Typing over the whole text, as after selecting it all.
    bool Type(int id, const std::string& text) override {
        HWND edit = Control(id, "Edit");
        if (!edit || !IsWindowEnabled(edit)) return false;
        HWND dialog = Innermost();
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        if (text.empty()) SendMessageA(edit, WM_CHAR, VK_BACK, 1);
        for (unsigned char c : text) SendMessageA(edit, WM_CHAR, WPARAM(c), 1);
        Pump(dialog, kSettleMs);
        return true;
    }

    bool Click(int id) override {
        HWND button = Control(id, "Button");
        if (!button) return false;
        if (!IsWindowEnabled(button) || (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) return true;
        HWND dialog = Innermost();
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump(dialog, kSettleMs);
        return true;
    }

    bool Select(int id, const std::vector<int>& rows) override {
        HWND list = Control(id, "SysListView32");
        if (!list) return false;
        int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row : rows) {
            if (row < 0 || row >= count) return false;
        }
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&item));
        for (int row : rows) {
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        }
        HWND dialog = Innermost();
        SetFocus(list);
        Pump(dialog, kSettleMs);
        return true;
    }

    void Key(int vk, bool down) override {
        HWND dialog = Innermost();
        if (dialog && GetForegroundWindow() != dialog) SetForegroundWindow(dialog);
        SendKey(vk, down);
        Settle(dialog);
    }

    // Over the dialog, where the user clicks into the box.
    void MouseButton(int button, bool down) override {
        HWND dialog = Innermost();
        if (button < 0 || button > 2) return;
        if (dialog) PointAtMiddle(dialog);
        SendMouseButton(button, down);
        Settle(dialog);
    }

    void Wheel(int notches) override {
        HWND dialog = Innermost();
        if (dialog) PointAtMiddle(dialog);
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_WHEEL;
        in.mi.mouseData = DWORD(notches * WHEEL_DELTA);
        SendInput(1, &in, sizeof in);
        Settle(dialog);
    }

    bool CloseBox() override {
        HWND dialog = Innermost();
        LONG style = dialog ? GetWindowLongA(dialog, GWL_STYLE) : 0;
        if ((style & WS_CAPTION) != WS_CAPTION || !(style & WS_SYSMENU)) return false;
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump(dialog, kSettleMs);
        return true;
    }

    int SystemMenuClicks() override { return g_systemMenuClicks; }
};

// [SECTION] screenshot-dialog

bool ScreenshotDialog(Scenario& s, const Args& a) {
    HWND dialog = Innermost();
    if (!dialog) return ScenarioError(s, "no dialog of the module is open");
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(dialog, 300);
    RECT r;
    GetWindowRect(dialog, &r);
    bool blank = true;
    if (!CaptureScreenArea(a[0], r.left, r.top, r.right - r.left, r.bottom - r.top, &blank)) {
        return ScenarioError(s, "cannot write %s", a[0].c_str());
    }
    Emit(s, "screenshot-dialog %s blank %s", a[0].c_str(), blank ? "yes" : "no");
    return true;
}

const ScenarioCommand kWineDialogCommands[] = {
    {"screenshot-dialog", 1, 1, ScreenshotDialog, "screenshot-dialog NAME.png"},
};

}  // namespace

void InstallWinDialogs() {
    static WinDialogDriver driver;
    SetDialogHost(&driver);
}

bool ClaimModuleDialog(HWND dialog) {
    HMODULE module = Module();
    if (!module || reinterpret_cast<HMODULE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)) != module) return false;
    for (const OpenDialog& d : g_open) {
        if (d.hwnd == dialog) return true;  // active again after a dialog it owned closed
    }
    g_open.push_back(OpenDialog{dialog, false});
    SetTimer(nullptr, 0, kDriveDelayMs, DriveDialog);
    return true;
}

void NoteSystemMenuClick() {
    g_systemMenuClicks++;
}

bool WaitInDialog(std::uint32_t ms) {
    HWND dialog = Innermost();
    if (!dialog) return false;
    DWORD start = GetTickCount();
    Pump(dialog, ms);
    DWORD spent = GetTickCount() - start;
    if (spent < ms) Sleep(ms - spent);
    return true;
}

ScenarioTable WineDialogCommands() {
    return {kWineDialogCommands, int(sizeof kWineDialogCommands / sizeof kWineDialogCommands[0])};
}
