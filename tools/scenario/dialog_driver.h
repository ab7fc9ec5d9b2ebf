// dialog_driver.h - what a scenario asks of a host about the module's modal
// dialogs: what is open and what it shows, and the user's actions on the
// innermost one. The substitute host answers from its dialog model,
// fs9host from the real windows under wine; the "dialog" commands
// (scenario_dialog.cpp) are written against this, so both print the same.
//
// Both hosts run the script's next lines from inside a dialog's modal loop
// while it is open (RunScenarioInDialog), as the user acting on it; when
// the lines end the dialog, the loop returns to the command that opened it.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct DialogControlView {
    int id;                 // -1 for labels and group boxes
    std::string className;  // Button, Edit, Static, SysListView32
    std::string text;
    int checked;            // check boxes and radio buttons: 0 or 1; -1 for other controls
    bool enabled;
    std::vector<std::pair<std::string, int>> columns;  // list views: title, width in pixels
    std::vector<std::vector<std::string>> rows;       // list views: the texts of each row
    std::vector<bool> selected;                       // list views: per row
};

struct DialogView {
    int templateId;  // 0 when the host cannot tell
    std::string caption;
    bool centred;    // on the screen, to a pixel
    std::vector<DialogControlView> controls;  // in template order
};

class DialogDriver {
public:
    virtual ~DialogDriver() = default;
    // The module's dialogs that are open, outermost first.
    virtual std::vector<DialogView> OpenDialogs() = 0;
    // The user's actions on the innermost dialog; false when it has no such
    // control (or not of the kind the action needs). Clicking a disabled
    // button is allowed and does nothing.
    virtual bool Type(int id, const std::string& text) = 0;
    virtual bool Click(int id) = 0;
    virtual bool Select(int id, const std::vector<int>& rows) = 0;  // rows from 0
    // Keys and mouse buttons go to the innermost dialog, or, when the press
    // closed it, to the host's main window.
    virtual void Key(int virtualKey, bool down) = 0;
    virtual void MouseButton(int button, bool down) = 0;  // 0 left, 1 right, 2 middle
    virtual void Wheel(int notches) = 0;                  // positive: away from the user
    virtual bool CloseBox() = 0;
    // WM_NCLBUTTONDOWN messages with HTSYSMENU the host's windows received.
    virtual int SystemMenuClicks() = 0;
};

DialogDriver& DialogHost();
void SetDialogHost(DialogDriver* driver);

// Called by a host when one of the module's dialogs has come up: runs the
// script's next lines until isOpen(dialog) answers false or the script
// ends. False after a script error.
bool RunScenarioInDialog(bool (*isOpen)(void* dialog), void* dialog);

struct ScenarioTable;
// "dialog ..." and "print dialog", "print system-menu-clicks".
ScenarioTable DialogScenarioCommands();
ScenarioTable DialogPrintCommands();
