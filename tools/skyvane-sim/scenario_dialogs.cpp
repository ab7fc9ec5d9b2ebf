// scenario_dialogs.cpp - the module's dialogs in skyvane-sim: the dialog
// host of the shared "dialog" commands on the substitute host's dialog
// model, the script run as the user inside each modal loop, and prints of
// what only this host can see (the dialogs' results, the module's dialog
// operations in order).
#include <cstdlib>

#include "dialog_driver.h"
#include "hostsim/sim_dialogs.h"
#include "scenario.h"

namespace {

constexpr std::uint32_t kStyleDisabled = 0x08000000;  // WS_DISABLED

// Check boxes and radio buttons of every kind carry a check state.
bool HasCheckState(const hostsim::SimControl& c) {
    switch (c.style & 0x0F) {
    case 0x2: case 0x3: case 0x4: case 0x5: case 0x6: case 0x9: return c.className == "Button";
    default: return false;
    }
}

DialogControlView ViewOf(const hostsim::SimControl& c) {
    DialogControlView v{c.id, c.className, c.text, HasCheckState(c) ? c.checked : -1,
                        (c.style & kStyleDisabled) == 0, {}, {}, {}};
    for (const hostsim::SimListColumn& column : c.columns) v.columns.emplace_back(column.text, column.width);
    for (const hostsim::SimListRow& row : c.rows) {
        v.rows.push_back(row.texts);
        v.selected.push_back(row.selected);
    }
    return v;
}

class SimDialogDriver final : public DialogDriver {
public:
    std::vector<DialogView> OpenDialogs() override {
        std::vector<DialogView> views;
        for (const auto& d : hostsim::Dialogs().open) {
            if (d->ended) continue;
            int left = hostsim::kSimScreenWidth / 2 - d->width / 2;
            int top = hostsim::kSimScreenHeight / 2 - d->height / 2;
            DialogView view{d->templateId, d->caption, std::abs(d->x - left) <= 1 && std::abs(d->y - top) <= 1, {}};
            for (const hostsim::SimControl& c : d->controls) view.controls.push_back(ViewOf(c));
            views.push_back(view);
        }
        return views;
    }
    bool Type(int id, const std::string& text) override { return hostsim::TypeText(id, text); }
    bool Click(int id) override { return hostsim::Click(id); }
    bool Select(int id, const std::vector<int>& rows) override { return hostsim::SelectRows(id, rows); }
    void Key(int virtualKey, bool down) override { hostsim::Key(virtualKey, down); }
    void MouseButton(int button, bool down) override { hostsim::MouseButton(button, down); }
    void Wheel(int notches) override { hostsim::MouseWheel(notches); }
    bool CloseBox() override { return hostsim::CloseBox(); }
    int SystemMenuClicks() override { return hostsim::Dialogs().systemMenuClicks; }
};

bool IsOpen(void* dialog) {
    return hostsim::DialogIsOpen(static_cast<PlatWindow>(dialog));
}

// [SECTION] print ... (sim)

// "dialog-closed TEMPLATE result R [abandoned]" for each dialog closed so far.
bool PrintDialogResults(Scenario& s, const Args&) {
    for (const hostsim::ClosedDialog& c : hostsim::Dialogs().closed) {
        Emit(s, "dialog-closed %d result %lld%s", c.templateId, (long long)c.result, c.abandoned ? " abandoned" : "");
    }
    Emit(s, "dialogs-closed %u", unsigned(hostsim::Dialogs().closed.size()));
    return true;
}

// The module's dialog operations since the last print, in order.
bool PrintDialogCalls(Scenario& s, const Args&) {
    std::vector<std::string>& calls = hostsim::Dialogs().calls;
    for (const std::string& call : calls) Emit(s, "dialog-call %s", Quote(call).c_str());
    Emit(s, "dialog-calls %u", unsigned(calls.size()));
    calls.clear();
    return true;
}

const ScenarioCommand kSimDialogPrints[] = {
    {"dialog-results", 0, 0, PrintDialogResults, "print dialog-results"},
    {"dialog-calls", 0, 0, PrintDialogCalls, "print dialog-calls"},
};

}  // namespace

// The substitute host hands each dialog that comes up to the script.
void InstallSimDialogs() {
    static SimDialogDriver driver;
    SetDialogHost(&driver);
    hostsim::SetDialogUser([](PlatWindow dialog) { RunScenarioInDialog(IsOpen, dialog); });
}

ScenarioTable SimDialogPrintCommands() {
    return {kSimDialogPrints, int(sizeof kSimDialogPrints / sizeof kSimDialogPrints[0])};
}
