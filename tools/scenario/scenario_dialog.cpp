// scenario_dialog.cpp - the scenario commands that act as the user on the
// module's modal dialogs and print what they show. They reach the dialogs
// only through DialogDriver, so their output is the same on every host.
#include <cstdio>
#include <string>

#include "dialog_driver.h"
#include "scenario.h"

static DialogDriver* g_dialogHost;

DialogDriver& DialogHost() {
    return *g_dialogHost;
}

void SetDialogHost(DialogDriver* driver) {
    g_dialogHost = driver;
}

struct OpenCheck {
    bool (*isOpen)(void*);
    void* dialog;
};

static bool Closed(void* context) {
    const OpenCheck* check = static_cast<const OpenCheck*>(context);
    return !check->isOpen(check->dialog);
}

bool RunScenarioInDialog(bool (*isOpen)(void* dialog), void* dialog) {
    OpenCheck check{isOpen, dialog};
    return ContinueScenario(Closed, &check);
}

// [SECTION] Arguments

// Key names as the key commands take them; "5" is the key 5 (0x35).
static bool ParseKey(Scenario& s, const std::string& t, int* vk) {
    static const struct {
        const char* name;
        int code;
    } kNames[] = {
        {"BACK", 0x08}, {"TAB", 0x09},    {"RETURN", 0x0D}, {"SHIFT", 0x10}, {"CONTROL", 0x11},
        {"ALT", 0x12},  {"ESCAPE", 0x1B}, {"SPACE", 0x20},  {"LEFT", 0x25},  {"UP", 0x26},
        {"RIGHT", 0x27}, {"DOWN", 0x28},
    };
    for (const auto& k : kNames) {
        if (t == k.name) return *vk = k.code, true;
    }
    if (t.size() == 1 && ((t[0] >= 'A' && t[0] <= 'Z') || (t[0] >= '0' && t[0] <= '9'))) return *vk = t[0], true;
    if (t.size() == 7 && t.compare(0, 6, "NUMPAD") == 0 && t[6] >= '0' && t[6] <= '9') {
        return *vk = 0x60 + (t[6] - '0'), true;
    }
    long long n = 0;
    if (t.size() >= 2 && t.size() <= 3 && t[0] == 'F' && ParseNumber(t.substr(1), &n) && n >= 1 && n <= 24) {
        return *vk = 0x70 + int(n - 1), true;
    }
    if (ParseNumber(t, &n) && n > 0 && n < 256) return *vk = int(n), true;
    return ScenarioError(s, "bad key %s", t.c_str());
}

static bool ParseMouseButton(Scenario& s, const std::string& t, int* button) {
    if (t == "left") return *button = 0, true;
    if (t == "right") return *button = 1, true;
    if (t == "middle") return *button = 2, true;
    return ScenarioError(s, "button left|right|middle, not %s", t.c_str());
}

static bool ParseId(Scenario& s, const std::string& t, int* id) {
    long long n = 0;
    if (!ParseNumber(t, &n) || n < -1 || n > 0xFFFF) return ScenarioError(s, "bad control id %s", t.c_str());
    *id = int(n);
    return true;
}

// Scripts are UTF-8; the module's texts are 8-bit ANSI. Characters up to
// U+00FF become their byte ("°" is 0xB0), other bytes stay as they are.
static std::string AnsiText(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); i++) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned char next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
        if ((c == 0xC2 || c == 0xC3) && (next & 0xC0) == 0x80) {
            out += char(((c & 0x03) << 6) | (next & 0x3F));
            i++;
        } else {
            out += char(c);
        }
    }
    return out;
}

static bool AnyOpen(Scenario& s) {
    return DialogHost().OpenDialogs().empty() ? ScenarioError(s, "no dialog of the module is open") : true;
}

static bool Acted(Scenario& s, bool ok, const char* what, const std::string& arg) {
    return ok ? true : ScenarioError(s, "the dialog has no %s %s", what, arg.c_str());
}

// [SECTION] dialog ...

static bool Type(Scenario& s, const Args& a) {
    int id = 0;
    if (a.size() != 2) return ScenarioError(s, "dialog type ID TEXT");
    return ParseId(s, a[0], &id) && Acted(s, DialogHost().Type(id, AnsiText(a[1])), "edit", a[0]);
}

static bool Click(Scenario& s, const Args& a) {
    int id = 0;
    if (a.size() != 1) return ScenarioError(s, "dialog click ID");
    return ParseId(s, a[0], &id) && Acted(s, DialogHost().Click(id), "button", a[0]);
}

// Rows count from 1, as the printed rows do; "none" clears the selection.
static bool Select(Scenario& s, const Args& a) {
    int id = 0;
    if (a.size() < 2 || !ParseId(s, a[0], &id)) return ScenarioError(s, "dialog select ID ROW...|none");
    std::vector<int> rows;
    for (std::size_t i = 1; i < a.size(); i++) {
        long long row = 0;
        if (a[i] == "none" && a.size() == 2) break;
        if (!ParseNumber(a[i], &row) || row < 1 || row > 100000) return ScenarioError(s, "bad row %s", a[i].c_str());
        rows.push_back(int(row - 1));
    }
    return Acted(s, DialogHost().Select(id, rows), "list with those rows:", a[0]);
}

// A press and its release: the press may close the dialog, and the release
// then reaches whatever window is left.
static bool KeyAction(Scenario& s, const Args& a, bool down, bool up) {
    int vk = 0;
    if (a.size() != 1) return ScenarioError(s, "dialog key|key-down|key-up VK");
    if (!ParseKey(s, a[0], &vk)) return false;
    if (down) DialogHost().Key(vk, true);
    if (up) DialogHost().Key(vk, false);
    return true;
}

static bool MouseAction(Scenario& s, const Args& a, bool down, bool up) {
    int button = 0;
    if (a.size() != 1) return ScenarioError(s, "dialog mouse|mouse-down|mouse-up left|right|middle");
    if (!ParseMouseButton(s, a[0], &button)) return false;
    if (down) DialogHost().MouseButton(button, true);
    if (up) DialogHost().MouseButton(button, false);
    return true;
}

static bool Wheel(Scenario& s, const Args& a) {
    long long notches = 0;
    if (a.size() != 1 || !ParseNumber(a[0], &notches) || notches < -100 || notches > 100) {
        return ScenarioError(s, "dialog wheel NOTCHES (-100..100)");
    }
    DialogHost().Wheel(int(notches));
    return true;
}

static bool Escape(Scenario& s, const Args& a) {
    return a.empty() ? KeyAction(s, {"ESCAPE"}, true, true) : ScenarioError(s, "dialog escape");
}

static bool CloseBox(Scenario& s, const Args& a) {
    if (!a.empty()) return ScenarioError(s, "dialog close-box");
    return DialogHost().CloseBox() ? true : ScenarioError(s, "the dialog has no close box");
}

static const char* const kDialogUsage =
    "dialog type ID TEXT | click ID | select ID ROW...|none | key VK | key-down VK | key-up VK"
    " | mouse B | mouse-down B | mouse-up B | wheel N | escape | close-box";

static bool DialogCommand(Scenario& s, const Args& a) {
    const Args rest(a.begin() + 1, a.end());
    const std::string& what = a[0];
    if (!AnyOpen(s)) return false;
    if (what == "type") return Type(s, rest);
    if (what == "click") return Click(s, rest);
    if (what == "select") return Select(s, rest);
    if (what == "key") return KeyAction(s, rest, true, true);
    if (what == "key-down") return KeyAction(s, rest, true, false);
    if (what == "key-up") return KeyAction(s, rest, false, true);
    if (what == "mouse") return MouseAction(s, rest, true, true);
    if (what == "mouse-down") return MouseAction(s, rest, true, false);
    if (what == "mouse-up") return MouseAction(s, rest, false, true);
    if (what == "wheel") return Wheel(s, rest);
    if (what == "escape") return Escape(s, rest);
    if (what == "close-box") return CloseBox(s, rest);
    return ScenarioError(s, "%s", kDialogUsage);
}

static const ScenarioCommand kDialogCommands[] = {
    {"dialog", 1, -1, DialogCommand, kDialogUsage},
};

ScenarioTable DialogScenarioCommands() {
    return {kDialogCommands, int(sizeof kDialogCommands / sizeof kDialogCommands[0])};
}

// [SECTION] print dialog

static std::string ControlLine(const DialogControlView& c) {
    std::string line = "control " + std::to_string(c.id) + " " + c.className + " " + Quote(c.text);
    if (c.checked >= 0) line += c.checked ? " checked" : " unchecked";
    if (!c.enabled) line += " disabled";
    if (c.className == "SysListView32") {
        int selected = 0;
        for (bool on : c.selected) selected += on ? 1 : 0;
        line += " rows " + std::to_string(c.rows.size()) + " selected " + std::to_string(selected);
    }
    return line;
}

static void EmitList(Scenario& s, const DialogControlView& c) {
    for (std::size_t i = 0; i < c.columns.size(); i++) {
        Emit(s, "column %u %s %d", unsigned(i + 1), Quote(c.columns[i].first).c_str(), c.columns[i].second);
    }
    for (std::size_t r = 0; r < c.rows.size(); r++) {
        std::string texts;
        for (const std::string& t : c.rows[r]) {
            texts += ' ';
            texts += Quote(t);
        }
        bool selected = r < c.selected.size() && c.selected[r];
        Emit(s, "row %u%s%s", unsigned(r + 1), texts.c_str(), selected ? " selected" : "");
    }
}

// print dialog [ID...]: the innermost open dialog (template, caption,
// whether it is centred on the screen) and its controls, or only those
// named; "dialog none" when none is open. Then "dialogs-open N".
static bool PrintDialog(Scenario& s, const Args& a) {
    std::vector<DialogView> open = DialogHost().OpenDialogs();
    if (open.empty()) {
        Emit(s, "dialog none");
        return true;
    }
    std::vector<int> only;
    for (const std::string& t : a) {
        int id = 0;
        if (!ParseId(s, t, &id)) return false;
        only.push_back(id);
    }
    const DialogView& d = open.back();
    Emit(s, "dialog %d %s centred %s", d.templateId, Quote(d.caption).c_str(), d.centred ? "yes" : "no");
    for (const DialogControlView& c : d.controls) {
        bool wanted = only.empty();
        for (int id : only) wanted = wanted || id == c.id;
        if (!wanted) continue;
        Emit(s, "%s", ControlLine(c).c_str());
        if (c.className == "SysListView32") EmitList(s, c);
    }
    Emit(s, "dialogs-open %u", unsigned(open.size()));
    return true;
}

static bool PrintSystemMenuClicks(Scenario& s, const Args&) {
    Emit(s, "system-menu-clicks %d", DialogHost().SystemMenuClicks());
    return true;
}

static const ScenarioCommand kDialogPrints[] = {
    {"dialog", 0, -1, PrintDialog, "print dialog [ID...]"},
    {"system-menu-clicks", 0, 0, PrintSystemMenuClicks, "print system-menu-clicks"},
};

ScenarioTable DialogPrintCommands() {
    return {kDialogPrints, int(sizeof kDialogPrints / sizeof kDialogPrints[0])};
}
