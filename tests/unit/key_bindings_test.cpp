// key_bindings_test.cpp - the key name table and the Keyboard section of the
// configuration file: reading, writing, the round trip, and the module's
// start-up and shut-down.
#include "input/key_bindings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "input/key_names.h"
#include "test_host.h"

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";

struct Table {
    std::vector<KeyBinding> store = std::vector<KeyBinding>(kKeyBindingCapacity);
    KeyBindingTable table = {kKeyBindingCapacity, 0, store.data()};

    const KeyBinding& operator[](int i) const { return store[std::size_t(i)]; }
    int count() const { return table.count; }
};

KeyBinding MakeBinding(const char* name, int keyCode, int modifiers = 0, int doubleFlag = 0, int deadZone = 0) {
    KeyBinding b = {};
    std::strncpy(b.name, name, sizeof b.name - 1);
    b.keyCode = keyCode;
    b.modifiers = modifiers;
    b.doubleFlag = doubleFlag;
    b.deadZone = deadZone;
    return b;
}

int LoadText(const TestHost& host, const std::string& text, Table* t) {
    host.WriteFile(kCfg, text);
    return LoadKeyBindings(kCfg, "Keyboard", &t->table);
}

std::string SaveText(const TestHost& host, const KeyBindingTable& table) {
    std::FILE* file = OpenTextFileForWriting(kCfg);
    EXPECT_NE(file, nullptr);
    if (!file) return "";
    EXPECT_EQ(SaveKeyBindings(file, "Keyboard", &table), 1);
    std::fclose(file);
    return host.ReadFile(kCfg);
}

// The single line written for one binding, without the section around it.
std::string SavedLine(const TestHost& host, const KeyBinding& binding) {
    Table t;
    t.store[0] = binding;
    t.table.count = 1;
    std::string text = SaveText(host, t.table);
    const std::string head = "[Keyboard]\r\n\r\n";
    const std::string tail = "\r\n";
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
        ADD_FAILURE() << "not one binding in a section: " << text;
        return "";
    }
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

void ExpectBinding(const KeyBinding& b, const char* name, int keyCode, int modifiers = 0, int doubleFlag = 0,
                   int deadZone = 0) {
    EXPECT_STREQ(b.name, name);
    EXPECT_EQ(b.keyCode, keyCode) << b.name;
    EXPECT_EQ(b.modifiers, modifiers) << b.name;
    EXPECT_EQ(b.doubleFlag, doubleFlag) << b.name;
    EXPECT_EQ(b.deadZone, deadZone) << b.name;
    EXPECT_EQ(b.active, 0) << b.name;
    EXPECT_EQ(b.rearm, 0) << b.name;
}

int RowIndex(const KeyNameRow* row) {
    return row ? int(row - kKeyNameTable) : -1;
}

}  // namespace

// [SECTION] The key name table

TEST(KeyNameTable, LayoutAndEndRow) {
    const KeyNameRow& end = kKeyNameTable[209];
    EXPECT_EQ(end.keyCode, 0xFFFF);
    EXPECT_STREQ(end.keyName, "");
    EXPECT_STREQ(end.displayName, "");
    for (int i = 0; i < 209; i++) {
        EXPECT_NE(kKeyNameTable[i].keyCode, 0xFFFF) << "row " << i;
        EXPECT_NE(kKeyNameTable[i].keyName[0], 0) << "row " << i;
        EXPECT_NE(std::memchr(kKeyNameTable[i].keyName, 0, sizeof kKeyNameTable[i].keyName), nullptr);
        EXPECT_NE(std::memchr(kKeyNameTable[i].displayName, 0, sizeof kKeyNameTable[i].displayName), nullptr);
    }

    // Rows at the seams of the list, by position.
    struct Expected {
        int index;
        const char* keyName;
        const char* displayName;
        int keyCode;
    };
    const Expected rows[] = {
        {0, "NONE", "None", 0},
        {1, "1", "1", 49},
        {9, "9", "9", 57},
        {10, "0", "0", 48},
        {11, "F1", "F1", 112},
        {22, "F12", "F12", 123},
        {23, "NUMPAD_1", "Numpad 1", 97},
        {32, "NUMPAD_0", "Numpad 0", 96},
        {33, "TAB", "Tab", 9},
        {34, "SPACE", "Space", 32},
        {35, "RETURN", "Return", 13},
        {36, "UP", "Up arrow", 38},
        {37, "DOWN", "Down arrow", 40},
        {38, "RIGHT", "Right arrow", 39},
        {39, "LEFT", "Left arrow", 37},
        {40, "PAGE_UP", "Page up", 33},
        {41, "PAGE_DOWN", "Page down", 34},
        {42, "HOME", "Home", 36},
        {43, "END", "End", 35},
        {44, "MOUSE_BUTTON_0", "Left mouse button", 1000},
        {45, "MOUSE_BUTTON_1", "Right mouse button", 1001},
        {46, "MOUSE_BUTTON_2", "Middle mouse button", 1002},
        {47, "MOUSE_WHEEL_UP", "Mouse wheel up", 1004},
        {48, "MOUSE_WHEEL_DOWN", "Mouse wheel down", 1005},
        {49, "JOYSTICK_1_AXIS_X", "Joystick 1 Axis X", 300},
        {54, "JOYSTICK_1_AXIS_RZ", "Joystick 1 Axis RZ", 305},
        {56, "JOYSTICK_1_SLIDER_2", "Joystick 1 Slider 2", 307},
        {57, "JOYSTICK_1_SLIDER_3", "", 308},
        {58, "JOYSTICK_1_SLIDER_4", "", 309},
        {59, "JOYSTICK_1_BUTTON_1", "Joystick 1 Button 1", 310},
        {61, "JOYSTICK_1_BUTTON_3", "Joystick 1 Button 3", 312},
        {88, "JOYSTICK_1_BUTTON_30", "Joystick 1 Button 30", 339},
        {89, "JOYSTICK_2_AXIS_X", "Joystick 2 Axis X", 500},
        {99, "JOYSTICK_2_BUTTON_1", "Joystick 2 Button 1", 510},
        {135, "JOYSTICK_3_SLIDER_1", "Joystick 3 Slider 1", 706},
        {150, "JOYSTICK_3_BUTTON_12", "Joystick 3 Button 12", 721},
        {173, "JOYSTICK_4_AXIS_RY", "Joystick 4 Axis RY", 904},
        {178, "JOYSTICK_4_SLIDER_4", "", 909},
        {208, "JOYSTICK_4_BUTTON_30", "Joystick 4 Button 30", 939},
    };
    for (const Expected& e : rows) {
        const KeyNameRow& row = kKeyNameTable[e.index];
        EXPECT_STREQ(row.keyName, e.keyName) << "row " << e.index;
        EXPECT_STREQ(row.displayName, e.displayName) << "row " << e.index;
        EXPECT_EQ(row.keyCode, e.keyCode) << "row " << e.index;
    }
}

TEST(KeyNameTable, Lookups) {
    // Every row is found by its name and its code: names and codes are unique.
    for (int i = 0; i < 209; i++) {
        EXPECT_EQ(RowIndex(FindKeyName(kKeyNameTable[i].keyName)), i) << kKeyNameTable[i].keyName;
        EXPECT_EQ(RowIndex(FindKeyCode(kKeyNameTable[i].keyCode)), i) << kKeyNameTable[i].keyCode;
    }
    ASSERT_NE(FindKeyName("JOYSTICK_2_BUTTON_1"), nullptr);
    EXPECT_EQ(FindKeyName("JOYSTICK_2_BUTTON_1")->keyCode, 510);
    ASSERT_NE(FindKeyName("JOYSTICK_4_BUTTON_30"), nullptr);
    EXPECT_EQ(FindKeyName("JOYSTICK_4_BUTTON_30")->keyCode, 939);

    // Names match exactly and with their case.
    EXPECT_EQ(FindKeyName("f1"), nullptr);
    EXPECT_EQ(FindKeyName("F1 "), nullptr);
    EXPECT_EQ(FindKeyName("JOYSTICK_5_BUTTON_1"), nullptr);
    EXPECT_EQ(FindKeyName("JOYSTICK_1_BUTTON_31"), nullptr);
    EXPECT_EQ(FindKeyName(""), nullptr);  // the end row names nothing
    EXPECT_EQ(FindKeyName(nullptr), nullptr);

    // Codes between the groups have no row; the end row's code is not a key.
    for (int code : {1003, 0xFFFF, 65, 106, 340, 499, 940, -1}) EXPECT_EQ(FindKeyCode(code), nullptr) << code;
}

// [SECTION] Reading

TEST(KeyBindingsLoad, SectionsAndHeaders) {
    TestHost host;
    {
        Table t;
        EXPECT_EQ(LoadText(host, "[KEYBOARD]\nA=F1\n", &t), 1);
        ASSERT_EQ(t.count(), 1);
        ExpectBinding(t[0], "A", 112);
    }
    {
        Table t;
        EXPECT_EQ(LoadText(host, "[keyboard]\nA=F2\n", &t), 1);
        ASSERT_EQ(t.count(), 1);
        ExpectBinding(t[0], "A", 113);
    }
    {
        // Other sections are passed over; a token with '[' ends the section
        // and a later Keyboard section is read as well.
        Table t;
        LoadText(host,
                 "Before=F1\n[Views]\nV=F2\n[Keyboard]\nFirst=F3\n[Views]\nW=F4\n"
                 "[Keyboard]\nSecond=F5\n",
                 &t);
        ASSERT_EQ(t.count(), 2);
        ExpectBinding(t[0], "First", 114);
        ExpectBinding(t[1], "Second", 116);
    }
    {
        // Any token holding '[' ends the section and is used up, even the
        // same header again: what follows it is not read.
        Table t;
        LoadText(host, "[Keyboard] A=F1 B=x[y C=F3 [Keyboard] D=F4 [Keyboard] E=F5", &t);
        ASSERT_EQ(t.count(), 2);
        ExpectBinding(t[0], "A", 112);
        ExpectBinding(t[1], "D", 115);
    }
    {
        // The header must be the whole token; line breaks mean nothing.
        Table t;
        LoadText(host, "[Keyboard]x A=F1 [Keyboard ] B=F2 Keyboard C=F3 \r\n\t[Keyboard]\v\fD=F4 E=F5", &t);
        ASSERT_EQ(t.count(), 2);
        ExpectBinding(t[0], "D", 115);
        ExpectBinding(t[1], "E", 116);
    }
    {
        // No file: 0 and the table as it was. Reading never clears it.
        Table t;
        t.store[0] = MakeBinding("Kept", 65, 3, 1, 7);
        t.table.count = 1;
        EXPECT_EQ(LoadKeyBindings("C:\\FS9\\Missing.cfg", "Keyboard", &t.table), 0);
        ASSERT_EQ(t.count(), 1);
        ExpectBinding(t[0], "Kept", 65, 3, 1, 7);
        EXPECT_EQ(LoadText(host, "[Keyboard]\nAdded=F1\n", &t), 1);
        ASSERT_EQ(t.count(), 2);
        ExpectBinding(t[0], "Kept", 65, 3, 1, 7);
        ExpectBinding(t[1], "Added", 112);
    }
    {
        Table t;
        EXPECT_EQ(LoadText(host, "", &t), 1);
        EXPECT_EQ(t.count(), 0);
    }
}

TEST(KeyBindingsLoad, EntryValues) {
    TestHost host;
    Table t;
    LoadText(host,
             "[Keyboard]\n"
             "ToggleFlyBy=f1,shift,double\n"  // 0
             "ToggleFlyBy=NZ150\n"            // 1
             "ToggleFlyBy=a\n"                // 2
             "PilotForward=JOYSTICK_1_BUTTON_3\n"
             "//Comment=F1\n"
             "NoEquals\n"
             "X=\n"                            // 4
             "=\n"
             "=Q\n"                            // 5
             "MixedCase=Control,Alt,Inverse,Shift\n"
             "Last=F1,A,joystick_2_button_1\n"  // 7
             "Zones=NZ-5,NZ+42\n"
             "Zone=NZ,F2\n"                    // 9
             "Zone=NZ7x\n"
             "Trailing=F1,\n"                  // 11
             ",,Lead,ignored=F3\n"
             "\x03Sep=\x01shift\x80\x7f\n"    // 13
             "Word=SHIFTY\n"
             "Word=nzz\n"                      // 15
             "Dup=SHIFT,SHIFT,DOUBLE,DOUBLE\n"
             "A=B C=D\tE=F\n"                 // 17..19
             "Trail=F1\x80",                   // 20, no line end
             &t);
    ASSERT_EQ(t.count(), 21);
    ExpectBinding(t[0], "ToggleFlyBy", 112, 1, 1);
    ExpectBinding(t[1], "ToggleFlyBy", 0, 0, 0, 100);
    ExpectBinding(t[2], "ToggleFlyBy", 65);
    ExpectBinding(t[3], "PilotForward", 312);
    ExpectBinding(t[4], "X", 0);
    ExpectBinding(t[5], "", 81);
    ExpectBinding(t[6], "MixedCase", 0, 15);
    ExpectBinding(t[7], "Last", 510);
    ExpectBinding(t[8], "Zones", 0, 0, 0, 42);
    ExpectBinding(t[9], "Zone", 113);
    ExpectBinding(t[10], "Zone", 0, 0, 0, 7);
    ExpectBinding(t[11], "Trailing", 0);  // the empty word after ',' sets no key
    ExpectBinding(t[12], "Lead", 114);
    ExpectBinding(t[13], "Sep", 127, 1);
    ExpectBinding(t[14], "Word", 'S');
    ExpectBinding(t[15], "Word", 0);
    ExpectBinding(t[16], "Dup", 0, 1, 1);
    ExpectBinding(t[17], "A", 'B');
    ExpectBinding(t[18], "C", 'D');
    ExpectBinding(t[19], "E", 'F');
    ExpectBinding(t[20], "Trail", 0);  // so does a trailing separator byte
}

TEST(KeyBindingsLoad, LimitsAndOddBytes) {
    TestHost host;
    {
        // The table holds 256; the 257th entry is dropped.
        std::string text = "[Keyboard]\n";
        for (int i = 0; i < 257; i++) text += "Cmd" + std::to_string(i) + "=F" + std::to_string(i % 12 + 1) + "\n";
        Table t;
        EXPECT_EQ(LoadText(host, text, &t), 1);
        ASSERT_EQ(t.count(), 256);
        ExpectBinding(t[255], "Cmd255", 112 + 255 % 12);
    }
    {
        // A smaller capacity is kept to as well.
        KeyBinding store[3] = {};
        store[2] = MakeBinding("Guard", 77);
        KeyBindingTable small = {2, 0, store};
        host.WriteFile(kCfg, "[Keyboard] A=F1 B=F2 C=F3");
        EXPECT_EQ(LoadKeyBindings(kCfg, "Keyboard", &small), 1);
        EXPECT_EQ(small.count, 2);
        ExpectBinding(store[1], "B", 113);
        ExpectBinding(store[2], "Guard", 77);
    }
    {
        // A command name is cut to 31 characters.
        Table t;
        LoadText(host, "[Keyboard]\n" + std::string(40, 'n') + "=F1\n", &t);
        ASSERT_EQ(t.count(), 1);
        ExpectBinding(t[0], std::string(31, 'n').c_str(), 112);
    }
    {
        // A token of more than 1023 characters is split there: the rest is
        // read as the next token.
        std::string first = "Long=F1," + std::string(1023 - 8, 'x');
        Table t;
        LoadText(host, "[Keyboard]\n" + first + "Next=F2,SHIFT\n", &t);
        ASSERT_EQ(t.count(), 2);
        ExpectBinding(t[0], "Long", 'X');
        ExpectBinding(t[1], "Next", 113, 1);
    }
    {
        // After the first '=', each '=' is a word of its own: key code 61.
        Table t;
        LoadText(host, "[Keyboard] Eq== Eq2==,SHIFT A=F1=B A=F1= A=B==,ALT", &t);
        ASSERT_EQ(t.count(), 5);
        ExpectBinding(t[0], "Eq", 61);
        ExpectBinding(t[1], "Eq2", 61, 1);
        ExpectBinding(t[2], "A", 'B');
        ExpectBinding(t[3], "A", 61);
        ExpectBinding(t[4], "A", 61, 4);
    }
    {
        // A NUL byte ends the token's text; the rest of the token, up to the
        // next blank, is passed over.
        std::string text = "[Keyboard] A=F1";
        text += '\0';
        text += ",SHIFT[ B=F2 ";
        text += '\0';
        text += "C=F3 D";
        text += '\0';
        text += "=F4 [Keyboard";
        text += '\0';
        text += "] E=F5 [Keyboard] ";
        text += '\xff';
        text += "\xfe" "F=F6";
        Table t;
        LoadText(host, text, &t);
        ASSERT_EQ(t.count(), 3);
        ExpectBinding(t[0], "A", 112);
        ExpectBinding(t[1], "B", 113);
        ExpectBinding(t[2], "F", 117);
    }
}

// [SECTION] Writing

TEST(KeyBindingsSave, ExactText) {
    TestHost host;
    {
        Table t;
        t.store[0] = MakeBinding("ToggleFlyBy", 112, 1, 1);
        t.store[1] = MakeBinding("ToggleFlyBy", 0, 0, 0, 100);
        t.store[2] = MakeBinding("ToggleFlyBy", 65);
        t.store[3] = MakeBinding("PilotForward", 312, 15, 1, 5);
        t.store[4] = MakeBinding("X", 1003, 8);
        t.table.count = 5;
        EXPECT_EQ(SaveText(host, t.table),
                  "[Keyboard]\r\n\r\n"
                  "ToggleFlyBy=F1,SHIFT,DOUBLE\r\n"
                  "ToggleFlyBy=NONE,NZ100\r\n"
                  "ToggleFlyBy=A\r\n"
                  "PilotForward=JOYSTICK_1_BUTTON_3,SHIFT,CONTROL,ALT,INVERSE,DOUBLE,NZ5\r\n"
                  "X=\xeb,INVERSE\r\n"
                  "\r\n");
    }
    {
        Table t;
        EXPECT_EQ(SaveText(host, t.table), "[Keyboard]\r\n\r\n\r\n");
    }
    // A code without a row is its low byte, except a byte that would cut the
    // entry short or read back as another key.
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 'j')), "K=j\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 5)), "K=\x05\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", ',', 1)), "K=,,SHIFT\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 0x100, 1)), "K=,SHIFT\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 0x120, 2)), "K=,CONTROL\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 0x10A)), "K=\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", '[', 4)), "K=,ALT\r\n");
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 0x161)), "K=\r\n");
    // Only the four modifier bits are written; a dead zone as it is held.
    EXPECT_EQ(SavedLine(host, MakeBinding("K", 9, 0x30, 7, -3)), "K=TAB,DOUBLE,NZ-3\r\n");
    // A name without its terminator is cut to 31 characters.
    KeyBinding full = MakeBinding("", 13);
    std::memset(full.name, 'n', sizeof full.name);
    EXPECT_EQ(SavedLine(host, full), std::string(31, 'n') + "=RETURN\r\n");
}

// [SECTION] Round trip

TEST(KeyBindingsRoundTrip, KeyCodesAndFlags) {
    TestHost host;
    auto expectedCode = [](int code) {
        if (FindKeyCode(code)) return code;
        if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
        if (code == ',' || code == '[') return 0;  // a separator and a section mark
        if (code >= 33 && code <= 127) return code;
        return 0;
    };
    std::vector<int> codes;
    for (int code = -3; code < 1300; code++) codes.push_back(code);
    for (int code : {0xFFFF, 0x10000 + 'A', 0x7FFFFFFF, int(0x80000000u)}) codes.push_back(code);

    for (std::size_t start = 0; start < codes.size(); start += kKeyBindingCapacity) {
        Table out;
        for (std::size_t i = start; i < codes.size() && out.table.count < kKeyBindingCapacity; i++) {
            int n = out.table.count;
            std::string name = "Cmd" + std::to_string(i);
            out.store[std::size_t(n)] = MakeBinding(name.c_str(), codes[i], int(i % 16), int(i % 3 == 0), int(i % 101));
            out.table.count++;
        }
        SaveText(host, out.table);
        Table in;
        EXPECT_EQ(LoadKeyBindings(kCfg, "Keyboard", &in.table), 1);
        ASSERT_EQ(in.count(), out.count());
        for (int i = 0; i < out.count(); i++) {
            const KeyBinding& o = out[i];
            ExpectBinding(in[i], o.name, expectedCode(o.keyCode), o.modifiers, o.doubleFlag, o.deadZone);
        }
    }

    // The cases by name.
    Table t;
    t.store[0] = MakeBinding("Lower", 106);
    t.store[1] = MakeBinding("Control", 5, 2);
    t.store[2] = MakeBinding("Equals", '=', 1);
    t.store[3] = MakeBinding("Mouse", 1005, 4, 1, 50);
    t.table.count = 4;
    SaveText(host, t.table);
    Table back;
    LoadKeyBindings(kCfg, "Keyboard", &back.table);
    ASSERT_EQ(back.count(), 4);
    ExpectBinding(back[0], "Lower", 74);
    ExpectBinding(back[1], "Control", 0, 2);
    ExpectBinding(back[2], "Equals", 61, 1);
    ExpectBinding(back[3], "Mouse", 1005, 4, 1, 50);
}

// [SECTION] The module

TEST(KeyBindingsModule, StartStopKeepsOnlyTheKeyboardSection) {
    TestHost host;
    host.WriteFile(kCfg,
                   "[Views]\r\nZoom=3\r\n"
                   "[Keyboard]\r\nToggleFlyBy=f1,shift,double\r\nPilotForward=JOYSTICK_1_BUTTON_3,NZ20\r\n"
                   "// a comment\r\n"
                   "[Sounds]\r\nVolume=7\r\n"
                   "[KEYBOARD]\r\nZoomIn=a,control\r\n");
    g_keyBindings.count = 0;
    hostsim::LoadModule();
    ASSERT_EQ(g_keyBindings.count, 3);
    ExpectBinding(g_keyBindings.bindings[0], "ToggleFlyBy", 112, 1, 1);
    ExpectBinding(g_keyBindings.bindings[1], "PilotForward", 312, 0, 0, 20);
    ExpectBinding(g_keyBindings.bindings[2], "ZoomIn", 65, 2);
    hostsim::UnloadModule();
    g_keyBindings.count = 0;
    EXPECT_EQ(host.ReadFile(kCfg),
              "[Keyboard]\r\n\r\n"
              "ToggleFlyBy=F1,SHIFT,DOUBLE\r\n"
              "PilotForward=JOYSTICK_1_BUTTON_3,NZ20\r\n"
              "ZoomIn=A,CONTROL\r\n"
              "\r\n");
}
