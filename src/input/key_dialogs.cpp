// key_dialogs.cpp - the key assignment list, the command chooser and the key
// capture box. Rows of the list are the bindings in table order, so a row's
// index is its binding's index. Touches: the module's KeyBindingTable, the
// command table (read only), the joysticks' poll state.
#include "input/key_dialogs.h"

#include <cstring>

#include "files/number_text.h"
#include "input/input.h"
#include "input/joysticks.h"
#include "input/key_names.h"
#include "platform/platform_dialogs.h"
#include "resources/dialog_ids.h"
#include "shell/command_table.h"
#include "shell/main_state.h"

namespace {

constexpr PlatLParam kSystemMenuClickPoint = 0x0066FAB4;  // what the host is sent when a list opens
constexpr std::uintptr_t kCaptureTimerId = 0;
constexpr std::uint32_t kCaptureTimerMs = 100;
constexpr char kKeyProperty[] = "KEY";    // the capture box: address of the record it fills
constexpr char kProcProperty[] = "PROC";  // the capture box's text: its previous window procedure

struct ListColumn {
    const char* title;
    int width;  // pixels
};

constexpr ListColumn kBindingColumns[] = {
    {"Name", 170}, {"Key", 130}, {"Shift", 40}, {"Control", 50}, {"Alt", 40}, {"Double", 60},
};
constexpr int kBindingColumnCount = int(sizeof kBindingColumns / sizeof kBindingColumns[0]);
constexpr ListColumn kCommandColumn = {"Command name", 320};

KeyBindingTable* Table() {
    return &g_keyBindings;
}

// [SECTION] Shared by the lists

void SendSystemMenuClick() {
    PlatSendMessage(g_shell.HostMainWindow, kMsgNcLButtonDown, kHitSystemMenu, kSystemMenuClickPoint);
}

// Half the screen less half the dialog, each halved on its own.
void CentreOnScreen(PlatWindow dialog) {
    std::int32_t screenWidth = 0, screenHeight = 0, width = 0, height = 0;
    PlatScreenSize(&screenWidth, &screenHeight);
    if (!PlatWindowSize(dialog, &width, &height)) return;
    PlatMoveWindow(dialog, screenWidth / 2 - width / 2, screenHeight / 2 - height / 2);
}

// The one selected row when exactly one is selected; -1 otherwise.
int SelectedRow(PlatWindow list) {
    if (PlatListSelectedCount(list) != 1) return -1;
    int rows = PlatListRowCount(list);
    for (int row = 0; row < rows; row++) {
        if (PlatListRowSelected(list, row)) return row;
    }
    return -1;
}

// [SECTION] The list of bindings (104)

// The command's description, else the binding's own name (cut to its field).
void NameText(const KeyBinding& b, char* text, std::size_t size) {
    for (const CommandRecord* c = kCommandTable; c->number != 0; c++) {
        if (std::strncmp(c->name, b.name, sizeof b.name) == 0) {
            CopyText(text, size, c->description);
            return;
        }
    }
    std::size_t n = 0;
    while (n < sizeof b.name && n + 1 < size && b.name[n]) n++;
    std::memcpy(text, b.name, n);
    text[n] = 0;
}

// The key's display name, else the key code's low byte as one character.
void KeyText(int keyCode, char* text, std::size_t size) {
    if (const KeyNameRow* row = FindKeyCode(keyCode)) {
        CopyText(text, size, row->displayName);
        return;
    }
    text[0] = char(keyCode & 0xFF);
    text[1] = 0;
}

void SetRowTexts(PlatWindow list, int row, const KeyBinding& b) {
    char text[80];
    NameText(b, text, sizeof text);
    PlatListSetText(list, row, 0, text);
    KeyText(b.keyCode, text, sizeof text);
    PlatListSetText(list, row, 1, text);
    PlatListSetText(list, row, 2, (b.modifiers & 1) ? "X" : "");
    PlatListSetText(list, row, 3, (b.modifiers & 2) ? "X" : "");
    PlatListSetText(list, row, 4, (b.modifiers & 4) ? "X" : "");
    PlatListSetText(list, row, 5, b.doubleFlag ? "X" : "");
}

void FillBindingRows(PlatWindow list) {
    PlatListClear(list);
    const KeyBindingTable* table = Table();
    for (int i = 0; i < table->count && i < table->capacity; i++) {
        const KeyBinding& b = table->bindings[i];
        char name[80];
        NameText(b, name, sizeof name);
        int row = PlatListInsertRow(list, i, name, reinterpret_cast<PlatLParam>(&table->bindings[i]));
        if (row >= 0) SetRowTexts(list, row, b);
    }
}

void RewriteBindingRows(PlatWindow list) {
    const KeyBindingTable* table = Table();
    int rows = PlatListRowCount(list);
    for (int row = 0; row < rows && row < table->count && row < table->capacity; row++) {
        SetRowTexts(list, row, table->bindings[row]);
    }
}

// The binding of the selected row; null when none is selected.
KeyBinding* SelectedBinding(PlatWindow list) {
    int row = SelectedRow(list);
    KeyBindingTable* table = Table();
    if (row < 0 || row >= table->count || row >= table->capacity) return nullptr;
    return &table->bindings[row];
}

// A new key for the binding; its command name, DOUBLE flag and dead zone stay.
void ModifyBinding(PlatWindow dialog, PlatWindow list) {
    KeyBinding* b = SelectedBinding(list);
    if (!b) return;
    KeyBinding scratch{};
    if (CaptureKey(dialog, &scratch) != 1) return;
    b->keyCode = scratch.keyCode;
    b->modifiers = scratch.modifiers;
    RewriteBindingRows(list);
}

// The binding stays in the table, bound to no key ("NONE" in the file).
void ClearBinding(PlatWindow list) {
    KeyBinding* b = SelectedBinding(list);
    if (!b) return;
    b->keyCode = 0;
    b->modifiers = 0;
    b->doubleFlag = 0;
    RewriteBindingRows(list);
}

// Escape and the close box come as IDCANCEL, which this dialog ignores:
// only "Close" ends it. "Delete" is disabled and does nothing.
PlatResult PLAT_CALLBACK KeyListProc(PlatWindow dialog, std::uint32_t message, PlatWParam wParam, PlatLParam) {
    PlatWindow list = PlatDialogItem(dialog, IDC_KEY_LIST);
    if (message == kMsgInitDialog) {
        SendSystemMenuClick();
        for (int c = 0; c < kBindingColumnCount; c++) {
            PlatListAddColumn(list, c, kBindingColumns[c].title, kBindingColumns[c].width);
        }
        FillBindingRows(list);
        CentreOnScreen(dialog);
        return 1;
    }
    if (message != kMsgCommand) return 0;
    switch (int(wParam & 0xFFFF)) {
    case IDC_KEY_ADD:
        if (ChooseCommandAndCapture(dialog) == 1) FillBindingRows(list);
        break;
    case IDC_KEY_MODIFY: ModifyBinding(dialog, list); break;
    case IDC_KEY_CLEAR: ClearBinding(list); break;
    case IDC_KEY_CLOSE: PlatEndDialog(dialog, 1); break;
    default: break;
    }
    return 1;
}

// [SECTION] The command chooser (105)

int LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int PLAT_CALLBACK CompareDescriptions(PlatLParam a, PlatLParam b, PlatLParam) {
    const char* x = reinterpret_cast<const CommandRecord*>(a)->description;
    const char* y = reinterpret_cast<const CommandRecord*>(b)->description;
    for (std::size_t i = 0; i < sizeof(CommandRecord::description); i++) {
        int cx = LowerAscii(static_cast<unsigned char>(x[i])), cy = LowerAscii(static_cast<unsigned char>(y[i]));
        if (cx != cy || cx == 0) return cx - cy;
    }
    return 0;
}

void FillCommandRows(PlatWindow list) {
    int row = 0;
    for (const CommandRecord* c = kCommandTable; c->number != 0; c++, row++) {
        PlatListInsertRow(list, row, c->description, reinterpret_cast<PlatLParam>(c));
    }
    PlatListSort(list, CompareDescriptions, 0);
}

// The chosen command with a captured key becomes a new binding. Without a
// selection, or with the table full, "OK" does nothing and the chooser
// stays; otherwise it ends with 1 whether or not a key was captured.
void ChooseCommand(PlatWindow dialog, PlatWindow list) {
    int row = SelectedRow(list);
    const CommandRecord* command = row < 0 ? nullptr : reinterpret_cast<const CommandRecord*>(PlatListRowData(list, row));
    KeyBindingTable* table = Table();
    if (!command || table->count >= table->capacity) return;
    KeyBinding scratch{};
    CopyText(scratch.name, sizeof scratch.name, command->name);
    if (CaptureKey(dialog, &scratch) == 1 && table->count < table->capacity) {
        table->bindings[table->count++] = scratch;
    }
    PlatEndDialog(dialog, 1);
}

PlatResult PLAT_CALLBACK CommandChooserProc(PlatWindow dialog, std::uint32_t message, PlatWParam wParam,
                                            PlatLParam) {
    PlatWindow list = PlatDialogItem(dialog, IDC_COMMAND_LIST);
    if (message == kMsgInitDialog) {
        SendSystemMenuClick();
        PlatListAddColumn(list, 0, kCommandColumn.title, kCommandColumn.width);
        FillCommandRows(list);
        CentreOnScreen(dialog);
        return 1;
    }
    if (message != kMsgCommand) return 0;
    int id = int(wParam & 0xFFFF);
    if (id == IDC_COMMAND_OK) ChooseCommand(dialog, list);
    if (id == IDC_COMMAND_CANCEL) PlatEndDialog(dialog, 0);
    return 1;
}

// [SECTION] The capture box (106)

bool IsRelease(std::uint32_t message) {
    return message == kMsgKeyUp || message == kMsgLButtonUp || message == kMsgRButtonUp ||
           message == kMsgMButtonUp || message == kMsgJoystickButtonUp;
}

// The text takes the keyboard focus: releases reaching it go on to the box.
PlatResult PLAT_CALLBACK CaptureTextProc(PlatWindow window, std::uint32_t message, PlatWParam wParam,
                                         PlatLParam lParam) {
    if (IsRelease(message)) {
        PlatPostMessage(PlatParentWindow(window), message, wParam, lParam);
        return 0;
    }
    PlatWindowProc previous = reinterpret_cast<PlatWindowProc>(PlatProperty(window, kProcProperty));
    if (message == kMsgNcDestroy) PlatRemoveProperty(window, kProcProperty);  // the window's last message
    return previous ? PlatCallWindowProc(previous, window, message, wParam, lParam) : 0;
}

bool IsModifierKey(PlatWParam key) {
    return key == PlatWParam(kVirtualKeyShift) || key == PlatWParam(kVirtualKeyControl) ||
           key == PlatWParam(kVirtualKeyAlt);
}

// A key other than SHIFT, CONTROL and ALT (either side) or a mouse button
// held down at this moment.
bool OtherKeyHeld() {
    constexpr int kLeftShift = 0xA0, kRightAlt = 0xA5;  // VK_LSHIFT .. VK_RMENU
    for (int key = 1; key < 255; key++) {
        if (IsModifierKey(PlatWParam(key)) || (key >= kLeftShift && key <= kRightAlt)) continue;
        if (PlatKeyDown(key)) return true;
    }
    return false;
}

// A release: Escape cancels; anything else is the key, with the modifiers
// held at this moment. A modifier let go while another key is still held
// only stops modifying it: that key's release is taken, without the
// modifier (SHIFT, F1 down, SHIFT up, F1 up gives F1 alone); a modifier
// released on its own is the key (16 for SHIFT).
void CaptureRelease(PlatWindow dialog, std::uint32_t message, PlatWParam wParam) {
    KeyBinding* record = reinterpret_cast<KeyBinding*>(PlatProperty(dialog, kKeyProperty));
    if (!record || (message == kMsgKeyUp && wParam == PlatWParam(kVirtualKeyEscape))) {
        PlatEndDialog(dialog, 0);
        return;
    }
    if (message == kMsgKeyUp && IsModifierKey(wParam) && OtherKeyHeld()) return;
    int keyCode = int(wParam);
    if (message == kMsgLButtonUp) keyCode = kKeyCodeMouseLeft;
    if (message == kMsgRButtonUp) keyCode = kKeyCodeMouseRight;
    if (message == kMsgMButtonUp) keyCode = kKeyCodeMouseMiddle;
    record->keyCode = keyCode;
    record->modifiers = (PlatKeyDown(kVirtualKeyShift) ? 1 : 0) | (PlatKeyDown(kVirtualKeyControl) ? 2 : 0) |
                        (PlatKeyDown(kVirtualKeyAlt) ? 4 : 0);
    PlatReleaseMouse();
    PlatEndDialog(dialog, 1);
}

void StartCapture(PlatWindow dialog, PlatLParam record) {
    PlatSetProperty(dialog, kKeyProperty, record);
    // Two polls in a row: buttons already held report no change.
    PollJoysticks();
    PollJoysticks();
    PlatCaptureMouse(dialog);
    PlatWindow text = PlatDialogItem(dialog, IDC_CAPTURE_TEXT);
    PlatWindowProc previous = PlatSubclassWindow(text, CaptureTextProc);
    PlatSetProperty(text, kProcProperty, reinterpret_cast<PlatLParam>(previous));
    PlatSetTimer(dialog, kCaptureTimerId, kCaptureTimerMs);
}

PlatResult PLAT_CALLBACK KeyCaptureProc(PlatWindow dialog, std::uint32_t message, PlatWParam wParam,
                                        PlatLParam lParam) {
    if (message == kMsgInitDialog) {
        StartCapture(dialog, lParam);
        return 1;
    }
    if (message == kMsgTimer) {
        PostJoystickButtons(dialog);
        return 1;
    }
    if (IsRelease(message)) {
        CaptureRelease(dialog, message, wParam);
        return 1;
    }
    if (message == kMsgDestroy) PlatRemoveProperty(dialog, kKeyProperty);
    return 0;
}

}  // namespace

void OpenKeyAssignmentDialog(PlatWindow owner) {
    PlatDialogBox(g_shell.instance, IDD_KEY_LIST, owner, KeyListProc, 0);
}

int ChooseCommandAndCapture(PlatWindow parent) {
    return PlatDialogBox(g_shell.instance, IDD_COMMAND_CHOOSER, parent, CommandChooserProc, 0) == 1 ? 1 : 0;
}

int CaptureKey(PlatWindow parent, KeyBinding* record) {
    PlatLParam address = reinterpret_cast<PlatLParam>(record);
    return PlatDialogBox(g_shell.instance, IDD_KEY_CAPTURE, parent, KeyCaptureProc, address) == 1 ? 1 : 0;
}
