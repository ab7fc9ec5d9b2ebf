// sim_dialogs.h - modal dialogs in the substitute host. A dialog is built
// from the module's own template (the resource script compiled for this
// host) as a set of controls with state: texts, check marks, list rows,
// window procedures, properties and timers. Its procedure gets its messages
// in the order Windows gives them: WM_SETFONT and WM_INITDIALOG, then
// whatever the user does, each posted message taken through the host's
// WH_GETMESSAGE hook and, for the open dialog, through the dialog
// manager's keyboard handling (Escape is IDCANCEL, Return the default
// button), sent messages through the WH_CALLWNDPROC hook.
//
// The user is a callback: once the dialog is up, the modal loop hands it
// the dialog, and the user's actions below run the loop. When the user
// returns with the dialog still open it is abandoned (ended with 0).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform_dialogs.h"

namespace hostsim {

inline constexpr std::int32_t kSimScreenWidth = 1024;
inline constexpr std::int32_t kSimScreenHeight = 768;

struct SimProperty {
    std::string name;
    PlatLParam value;
};

struct SimListColumn {
    std::string text;
    int width;  // pixels
};

struct SimListRow {
    std::vector<std::string> texts;  // one per column
    PlatLParam data;
    bool selected;
};

struct SimControl {
    PlatWindow handle;
    int id;                 // -1 for labels and group boxes
    std::string className;  // Button, Edit, Static, SysListView32
    std::uint32_t style;
    std::string text;
    int checked;            // buttons: 0 or 1
    PlatWindowProc proc;    // the window procedure; subclassing replaces it
    std::vector<SimProperty> props;
    std::vector<SimListColumn> columns;
    std::vector<SimListRow> rows;
};

struct SimTimer {
    std::uintptr_t id;
    std::uint32_t periodMs;
    std::uint32_t dueMs;  // host clock of the next WM_TIMER
};

struct SimDialog {
    int templateId;
    PlatWindow handle;
    PlatWindow owner;
    PlatDialogProc proc;
    std::string caption;
    std::uint32_t style;
    std::int32_t x, y, width, height;  // screen pixels
    std::vector<SimControl> controls;  // in template order
    PlatWindow focus;                  // null: the dialog itself
    std::vector<SimProperty> props;
    std::vector<SimTimer> timers;
    bool ended;
    PlatResult result;
};

struct ClosedDialog {
    int templateId;
    PlatResult result;
    bool abandoned;  // the user left it open
};

struct SimDialogs {
    std::vector<std::unique_ptr<SimDialog>> open;  // outermost first
    std::vector<ClosedDialog> closed;              // in closing order
    std::vector<std::string> calls;  // the module's dialog operations, in order ("text 1000 10", ...)
    std::uintptr_t nextHandle;
    int systemMenuClicks;  // WM_NCLBUTTONDOWN (HTSYSMENU) sent to host windows
    bool altAlone;         // ALT went down and no key came since: its release is WM_SYSKEYUP
    std::function<void(PlatWindow dialog)> user;
};

SimDialogs& Dialogs();
// No dialogs, no user, empty logs.
void ResetDialogs();
void SetDialogUser(std::function<void(PlatWindow dialog)> user);

// [SECTION] The module's side (platform/sim)

PlatResult RunModalDialog(int templateId, PlatWindow owner, PlatDialogProc proc, PlatLParam param);
void EndDialog(PlatWindow dialog, PlatResult result);
SimDialog* DialogOf(PlatWindow window);            // an open dialog by its handle
SimControl* ControlOf(PlatWindow window);          // a control of an open dialog by its handle
SimControl* ControlById(PlatWindow dialog, int id);
// The window's parent: a control's dialog, a dialog's owner.
PlatWindow ParentOf(PlatWindow window);
// A sent message to a dialog or control: the WH_CALLWNDPROC hook, then the
// window's procedure; the procedure's answer.
PlatResult SendToWindow(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
PlatResult CallControlDefault(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
// Log a dialog operation of the module (printf format).
void LogCall(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// [SECTION] The user's side (scenario commands, tests); all act on the
// innermost open dialog and answer false when there is none or the control
// is not there (or not of the kind the action needs).

SimDialog* TopDialog();
bool DialogIsOpen(PlatWindow dialog);  // open and not ended
// Replace the edit's text, typed character by character.
bool TypeText(int id, const std::string& text);
// A mouse click on a button; nothing happens on a disabled one (true).
bool Click(int id);
// Select exactly these rows (0-based) of a list.
bool SelectRows(int id, const std::vector<int>& rows);
// A key goes down or up: the asynchronous state changes, and the key
// message goes to the focus (the host's main window when no dialog is open).
void Key(int virtualKey, bool down);
// A mouse button (0 left, 1 right, 2 middle) at the cursor: to the window
// holding the capture, else to the dialog (else the host's main window).
void MouseButton(int button, bool down);
// The wheel turned by notches (positive: away from the user), to the same
// window as a mouse button.
void MouseWheel(int notches);
// The close box in the caption; false when the dialog has none.
bool CloseBox();
// Take and handle the queued messages as the modal loop does.
void PumpDialogs();
// Deliver the WM_TIMER messages that became due up to the host's clock.
void RunDialogTimers();

}  // namespace hostsim
