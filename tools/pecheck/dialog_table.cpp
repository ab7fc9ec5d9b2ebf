// dialog_table.cpp - the dialog templates the module must carry, written
// out control by control, and their comparison with the templates read
// from a built DLL. The setup dialog is checked whole (rectangles and
// styles); the others by caption, size, font, style, and their controls'
// ids, classes, texts and order.
#include "dialog_table.h"

#include <strings.h>

#include <cstdio>

namespace {

// Styles, as the window style bits.
constexpr std::uint32_t kChild = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kGroup = 0x00020000;  // WS_GROUP
constexpr std::uint32_t kTab = 0x00010000;    // WS_TABSTOP
constexpr std::uint32_t kGroupBox = kChild | 0x7;
constexpr std::uint32_t kLabel = kChild | kGroup;               // SS_LEFT
constexpr std::uint32_t kLabelRight = kChild | kGroup | 0x2;    // SS_RIGHT
constexpr std::uint32_t kLabelCentre = kChild | kGroup | 0x1;   // SS_CENTER
constexpr std::uint32_t kEdit = kChild | 0x00800000 | kTab | 0x80;  // WS_BORDER, ES_AUTOHSCROLL
constexpr std::uint32_t kRadioFirst = kChild | kGroup | 0x9;    // BS_AUTORADIOBUTTON
constexpr std::uint32_t kRadio = kChild | 0x9;
constexpr std::uint32_t kCheck = kChild | kTab | 0x3;           // BS_AUTOCHECKBOX
constexpr std::uint32_t kDefault = kChild | kTab | 0x1;         // BS_DEFPUSHBUTTON
constexpr std::uint32_t kPush = kChild | kTab;                  // BS_PUSHBUTTON
constexpr std::uint32_t kDialogStyle = 0x80C800C0;  // WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME, DS_SETFONT
constexpr std::uint32_t kCaptionBits = 0x00C00000;
constexpr std::uint32_t kDisabled = 0x08000000;
constexpr std::uint32_t kReportView = 0x0001;  // LVS_REPORT
constexpr std::uint16_t kLabelId = 0xFFFF;

struct Expected {
    std::uint16_t id;
    const char* className;
    const char* text;
    std::uint32_t style;  // checked whole for the setup dialog; 0: not checked
    std::int16_t x, y, cx, cy;
};

const Expected kSetup[] = {
    {kLabelId, "Button", "Fly-by", kGroupBox, 5, 5, 320, 90},
    {kLabelId, "Static", "Fly-by duration (seconds)", kLabelRight, 75, 15, 95, 15},
    {1000, "Edit", "", kEdit, 175, 15, 60, 15},
    {kLabelId, "Static", "Camera relative altitude (feet)", kLabel, 75, 35, 95, 15},
    {1001, "Edit", "", kEdit, 175, 35, 60, 15},
    {kLabelId, "Static", "Minimum distance (feet)", kLabel, 75, 55, 95, 15},
    {1006, "Edit", "", kEdit, 175, 55, 60, 15},
    {kLabelId, "Static", "Camera longitudinal angle", kLabel, 75, 75, 95, 15},
    {1020, "Edit", "", kEdit, 175, 75, 60, 15},
    {kLabelId, "Static", "Camera placement", kLabelCentre, 250, 15, 65, 15},
    {1002, "Button", "Always right", kRadioFirst, 250, 30, 65, 15},
    {1003, "Button", "Always left", kRadio, 250, 50, 65, 15},
    {1004, "Button", "Random", kRadio, 250, 70, 65, 15},
    {1005, "Button", "Do travelling", kCheck, 10, 75, 80, 15},
    {kLabelId, "Button", "Approach View", kGroupBox, 5, 100, 180, 75},
    {kLabelId, "Static", "Vertical offset (feet)", kLabel, 45, 115, 80, 15},
    {1026, "Edit", "", kEdit, 131, 115, 40, 15},
    {kLabelId, "Static", "Camera transition altitude (feet)", kLabel, 15, 136, 110, 15},
    {1027, "Edit", "", kEdit, 131, 136, 40, 15},
    {kLabelId, "Button", "Traffic tracking", kGroupBox, 190, 100, 135, 75},
    {kLabelId, "Static", "Max. aircraft to track", kLabel, 200, 115, 65, 15},
    {1017, "Edit", "", kEdit, 275, 115, 40, 15},
    {kLabelId, "Static", "Max. distance (nm)", kLabel, 200, 135, 65, 15},
    {1018, "Edit", "", kEdit, 275, 135, 40, 15},
    {kLabelId, "Button", "Internal View", kGroupBox, 5, 180, 320, 109},
    {kLabelId, "Static", "Head latency rate (0.0 - 2.0)", kLabel, 20, 194, 160, 15},
    {1007, "Edit", "", kEdit, 185, 194, 40, 15},
    {1010, "Button", "On", kCheck, 230, 194, 25, 15},
    {kLabelId, "Static", "Ground and overspeed turbulence rate (0.0 - 2.0)", kLabel, 20, 215, 160, 15},
    {1009, "Edit", "", kEdit, 185, 215, 40, 15},
    {1011, "Button", "On", kCheck, 230, 215, 25, 15},
    {kLabelId, "Static", "Buffeting rate (0.0 - 2.0)", kLabel, 20, 234, 160, 15},
    {1012, "Edit", "", kEdit, 185, 234, 40, 15},
    {1013, "Button", "On", kCheck, 230, 236, 25, 15},
    {1016, "Button", "Smooth transition between preset views", kCheck, 15, 255, 145, 15},
    {1024, "Button", "Play ground turbulence sounds", kCheck, 175, 254, 145, 15},
    {1025, "Button", "Play head latency sounds", kCheck, 175, 270, 145, 15},
    {kLabelId, "Button", "External View", kGroupBox, 5, 294, 160, 56},
    {kLabelId, "Static", "Spot turbulence rate (0.0 - 1.0)", kLabel, 10, 310, 100, 15},
    {1019, "Edit", "", kEdit, 115, 310, 40, 15},
    {kLabelId, "Static", "Walking speed (m/s)", kLabel, 10, 329, 100, 15},
    {kLabelId, "Button", "Scenery padlock position", kGroupBox, 170, 294, 155, 75},
    {kLabelId, "Static", "Latitude", kLabel, 175, 310, 80, 15},
    {1021, "Edit", "", kEdit, 260, 310, 60, 15},
    {kLabelId, "Static", "Longitude", kLabel, 175, 329, 80, 15},
    {1022, "Edit", "", kEdit, 260, 329, 60, 15},
    {kLabelId, "Static", "Altitude", kLabel, 175, 350, 80, 15},
    {1023, "Edit", "", kEdit, 260, 350, 60, 15},
    {1, "Button", "OK", kDefault, 5, 355, 50, 15},
    {2, "Button", "Cancel", kPush, 60, 355, 50, 15},
    {kLabelId, "Static", "Tower height (feet)", kLabel, 200, 155, 65, 15},
    {1028, "Edit", "", kEdit, 275, 155, 40, 15},
    {1008, "Edit", "", kEdit, 115, 330, 40, 15},
};

// Rectangles of the other dialogs are free: only the style bits named.
const Expected kAbout[] = {
    {kLabelId, "Static", "Skyvane 2004", 0, 0, 0, 0, 0},
};
const Expected kKeyList[] = {
    {1044, "SysListView32", "", kReportView, 0, 0, 0, 0}, {1004, "Button", "Add...", 0, 0, 0, 0, 0},
    {1006, "Button", "Modify...", 0, 0, 0, 0, 0},         {1007, "Button", "Clear", 0, 0, 0, 0, 0},
    {1005, "Button", "Delete", kDisabled, 0, 0, 0, 0},    {1017, "Button", "Close", kDefault, 0, 0, 0, 0},
};
const Expected kCommandChooser[] = {
    {1044, "SysListView32", "", kReportView, 0, 0, 0, 0},
    {1043, "Button", "OK", kDefault, 0, 0, 0, 0},
    {1004, "Button", "Cancel", 0, 0, 0, 0, 0},
};
const Expected kKeyCapture[] = {
    {1040, "Static", "Please press a key or mouse button...", 0, 0, 0, 0, 0},
};

struct ExpectedDialog {
    int id;
    const char* caption;
    std::int16_t cx, cy;  // 0: free
    const Expected* controls;
    std::size_t count;
    bool whole;  // every control, rectangles and styles exactly
    bool captionBar;
};

const ExpectedDialog kDialogs[] = {
    {101, "Skyvane Setup", 332, 377, kSetup, sizeof kSetup / sizeof kSetup[0], true, true},
    {102, "About Skyvane...", 222, 121, kAbout, 1, false, true},
    {104, "Skyvane Key Assignements", 0, 0, kKeyList, 6, true, true},
    {105, "Select a command in the following list", 0, 0, kCommandChooser, 3, true, true},
    {106, "", 0, 0, kKeyCapture, 1, true, false},
};

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

std::string Where(int dialog, std::size_t index) {
    return "dialog " + std::to_string(dialog) + " control " + std::to_string(index + 1);
}

void CompareControl(int dialog, std::size_t i, const Expected& e, const dlgtpl::Control& c, bool exact,
                    std::vector<std::string>* failures) {
    std::string at = Where(dialog, i);
    if (c.id != e.id) failures->push_back(at + " has id " + std::to_string(c.id) + ", expected " + std::to_string(e.id));
    if (::strcasecmp(c.className.c_str(), e.className) != 0) {
        failures->push_back(at + " is of class " + c.className + ", expected " + e.className);
    }
    if (c.text != e.text) failures->push_back(at + " reads \"" + c.text + "\", expected \"" + e.text + "\"");
    if (exact) {
        if (c.style != e.style) failures->push_back(at + " has style " + Hex(c.style) + ", expected " + Hex(e.style));
        if (c.x != e.x || c.y != e.y || c.cx != e.cx || c.cy != e.cy) {
            failures->push_back(at + " is at " + std::to_string(c.x) + "," + std::to_string(c.y) + " " +
                                std::to_string(c.cx) + "x" + std::to_string(c.cy) + ", expected " +
                                std::to_string(e.x) + "," + std::to_string(e.y) + " " + std::to_string(e.cx) +
                                "x" + std::to_string(e.cy));
        }
    } else if ((c.style & e.style) != e.style) {
        failures->push_back(at + " has style " + Hex(c.style) + " without " + Hex(e.style));
    }
}

// Controls of a dialog whose rectangles are free must still lie inside it.
void CheckInside(int dialog, const dlgtpl::Template& t, std::vector<std::string>* failures) {
    for (std::size_t i = 0; i < t.controls.size(); i++) {
        const dlgtpl::Control& c = t.controls[i];
        if (c.x < 0 || c.y < 0 || c.cx <= 0 || c.cy <= 0 || c.x + c.cx > t.cx || c.y + c.cy > t.cy) {
            failures->push_back(Where(dialog, i) + " lies outside the dialog");
        }
    }
}

void CheckDialog(const ExpectedDialog& e, const dlgtpl::Template& t, std::vector<std::string>* facts,
                 std::vector<std::string>* failures) {
    std::string name = "dialog " + std::to_string(e.id);
    facts->push_back(name + " \"" + t.caption + "\" " + std::to_string(t.cx) + "x" + std::to_string(t.cy) + " font " +
                     std::to_string(t.pointSize) + " \"" + t.font + "\" style " + Hex(t.style) + " controls " +
                     std::to_string(t.controls.size()));
    if (t.caption != e.caption) failures->push_back(name + " caption \"" + t.caption + "\", expected \"" + e.caption + "\"");
    if (e.cx && (t.cx != e.cx || t.cy != e.cy)) {
        failures->push_back(name + " is " + std::to_string(t.cx) + "x" + std::to_string(t.cy) + " dialog units, expected " +
                            std::to_string(e.cx) + "x" + std::to_string(e.cy));
    }
    if (t.pointSize != 8 || t.font != "MS Sans Serif") failures->push_back(name + " font is not MS Sans Serif 8");
    if (e.captionBar && t.style != kDialogStyle) {
        failures->push_back(name + " style " + Hex(t.style) + ", expected " + Hex(kDialogStyle));
    }
    if (!e.captionBar && (t.style & kCaptionBits)) failures->push_back(name + " has a caption bar");
    if (!t.menu.empty() || !t.windowClass.empty()) failures->push_back(name + " names a menu or a window class");
    if (e.whole && t.controls.size() != e.count) {
        failures->push_back(name + " has " + std::to_string(t.controls.size()) + " controls, expected " +
                            std::to_string(e.count));
    }
    for (std::size_t i = 0; i < e.count && i < t.controls.size(); i++) {
        CompareControl(e.id, i, e.controls[i], t.controls[i], e.whole && e.id == 101, failures);
    }
    if (e.id != 101) CheckInside(e.id, t, failures);
}

}  // namespace

void CheckDialogTemplates(const std::vector<FoundDialog>& found, std::vector<std::string>* facts,
                          std::vector<std::string>* failures) {
    for (const ExpectedDialog& e : kDialogs) {
        const FoundDialog* f = nullptr;
        for (const FoundDialog& candidate : found) {
            if (candidate.id == e.id) f = &candidate;
        }
        dlgtpl::Template t;
        if (!f) {
            failures->push_back("dialog " + std::to_string(e.id) + " missing");
        } else if (!dlgtpl::ParseTemplate(f->bytes.data(), f->bytes.size(), &t)) {
            failures->push_back("dialog " + std::to_string(e.id) + " is not a readable dialog template");
        } else {
            CheckDialog(e, t, facts, failures);
        }
    }
}
