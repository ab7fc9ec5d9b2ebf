// key_bindings_test.cpp - the key name table and the Keyboard section of the
// configuration file: its grammar, the exact text written, and the round
// trip of every key code.
#include "input/key_bindings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "input/key_names.h"
#include "test_host.h"

using namespace std::string_literals;

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";

// "Name=code", then " m<modifiers>", " d", " z<dead zone>", " a<active>",
// " r<rearm>" for each that is set; records joined by ", ".
std::string Describe(const KeyBinding* b, int count) {
    std::string out;
    for (int i = 0; i < count; i++) {
        const KeyBinding& k = b[i];
        out += (i ? ", " : "") + std::string(k.name, strnlen(k.name, sizeof k.name)) + "=" + std::to_string(k.keyCode);
        const int v[] = {k.modifiers, k.doubleFlag, k.deadZone, k.active, k.rearm};
        for (int f = 0; f < 5; f++) {
            if (v[f]) out += std::string(" ") + "mdzar"[f] + (f == 1 && v[f] == 1 ? "" : std::to_string(v[f]));
        }
    }
    return out;
}

KeyBinding Bind(const std::string& name, int keyCode, int modifiers = 0, int doubleFlag = 0, int deadZone = 0) {
    KeyBinding b = {};
    std::strncpy(b.name, name.c_str(), sizeof b.name - 1);
    b.keyCode = keyCode, b.modifiers = modifiers, b.doubleFlag = doubleFlag, b.deadZone = deadZone;
    return b;
}

std::string Read(const TestHost& host, const std::string& text) {
    host.WriteFile(kCfg, text);
    std::vector<KeyBinding> store(kKeyBindingCapacity);
    KeyBindingTable table = {kKeyBindingCapacity, 0, store.data()};
    EXPECT_EQ(LoadKeyBindings(kCfg, "Keyboard", &table), 1);
    return Describe(store.data(), table.count);
}

std::string Write(const TestHost& host, KeyBinding* bindings, int count, int capacity = -1) {
    KeyBindingTable table = {capacity < 0 ? count : capacity, count, bindings};
    std::FILE* file = OpenTextFileForWriting(kCfg);
    EXPECT_EQ(SaveKeyBindings(file, "Keyboard", &table), 1);
    std::fclose(file);
    return host.ReadFile(kCfg);
}

}  // namespace

TEST(KeyNames, EachRowIsFoundByItsOwnNameAndCodeOnly) {
    for (int i = 0; i < kKeyNameRowCount; i++) {
        EXPECT_EQ(FindKeyName(kKeyNameTable[i].keyName), &kKeyNameTable[i]) << kKeyNameTable[i].keyName;
        EXPECT_EQ(FindKeyCode(kKeyNameTable[i].keyCode), &kKeyNameTable[i]) << kKeyNameTable[i].keyCode;
    }
    for (const char* name : {"f1", "F1 ", "JOYSTICK_5_BUTTON_1", "JOYSTICK_1_BUTTON_31", "", (const char*)nullptr}) {
        EXPECT_EQ(FindKeyName(name), nullptr) << "\"" << (name ? name : "null") << "\"";
    }
    for (int code : {1003, kKeyNameEndCode, 65, 106, 340, 499, 940, -1}) EXPECT_EQ(FindKeyCode(code), nullptr) << code;

    // The file's words at the seams of the list: existing files depend on them (NONE, TAB, RETURN and
    // more are read and written in the tests below).
    const struct { const char* name; int code; } words[] = {
        {"0", 48}, {"9", 57}, {"F12", 123}, {"NUMPAD_1", 97}, {"NUMPAD_0", 96}, {"LEFT", 37}, {"END", 35},
        {"MOUSE_BUTTON_0", 1000}, {"MOUSE_WHEEL_UP", 1004}, {"MOUSE_WHEEL_DOWN", 1005}, {"JOYSTICK_1_AXIS_X", 300},
        {"JOYSTICK_1_SLIDER_4", 309}, {"JOYSTICK_1_BUTTON_1", 310}, {"JOYSTICK_3_SLIDER_1", 706},
        {"JOYSTICK_4_AXIS_RY", 904}, {"JOYSTICK_4_BUTTON_30", 939},
    };
    for (const auto& w : words) EXPECT_EQ(FindKeyName(w.name) ? FindKeyName(w.name)->keyCode : -1, w.code) << w.name;
}

TEST(KeyBindingsLoad, OnlyTheKeyboardSectionsAreRead) {
    TestHost host;
    const struct { std::string file, bindings; } cases[] = {
        {"[KEYBOARD]\nA=F1\n", "A=112"},
        {"[keyboard]\nA=F2\n", "A=113"},
        {"", ""},
        {"Before=F1\n[Views]\nV=F2\n[Keyboard]\nFirst=F3\n[Views]\nW=F4\n[Keyboard]\nSecond=F5\n",
         "First=114, Second=116"},
        // Any word holding '[' ends the section and is used up, even the same header again.
        {"[Keyboard] A=F1 B=x[y C=F3 [Keyboard] D=F4 [Keyboard] E=F5", "A=112, D=115"},
        // The header must be the whole word; line breaks mean nothing.
        {"[Keyboard]x A=F1 [Keyboard ] B=F2 Keyboard C=F3 \r\n\t[Keyboard]\v\fD=F4 E=F5", "D=115, E=116"},
        // A NUL byte ends a word's text; the rest up to the next blank is passed over.
        {"[Keyboard] A=F1\0,SHIFT[ B=F2 \0C=F3 D\0=F4 [Keyboard\0] E=F5 [Keyboard] \xff\xfe" "F=F6"s,
         "A=112, B=113, F=117"},
        // A word of more than 1023 bytes is split there: the rest is the next word.
        {"[Keyboard]\nLong=F1," + std::string(1015, 'x') + "Next=F2,SHIFT\n", "Long=88, Next=113 m1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(host, c.file), c.bindings) << "file \"" << c.file << "\"";
}

TEST(KeyBindingsLoad, EntryGrammar) {
    TestHost host;
    const struct { std::string entries, bindings; } cases[] = {
        {"ToggleFlyBy=f1,shift,double", "ToggleFlyBy=112 m1 d"},
        {"Mixed=Control,Alt,Inverse,Shift Dup=SHIFT,SHIFT,DOUBLE,DOUBLE", "Mixed=0 m15, Dup=0 m1 d"},
        {"P=JOYSTICK_1_BUTTON_3 Last=F1,A,joystick_2_button_1", "P=312, Last=510"},
        {"A=a B=? Word=SHIFTY Word=nzz", "A=65, B=63, Word=83, Word=0"},
        {"//Comment=F1 NoEquals X= = =Q", "X=0, =81"},
        {std::string(40, 'n') + "=F1", std::string(31, 'n') + "=112"},
        {"Z=NZ150 Z=NZ-5,NZ+42 Z=NZ,F2 Z=NZ7x", "Z=0 z100, Z=0 z42, Z=113, Z=0 z7"},
        // An empty last word, after ',' or a separator byte, sets key code 0.
        {"Trailing=F1, Trail=F1\x80", "Trailing=0, Trail=0"},
        {",,Lead,ignored=F3 \x03Sep=\x01shift\x80\x7f A=B C=D\tE=F", "Lead=114, Sep=127 m1, A=66, C=68, E=70"},
        // After the first '=', each '=' is a word of its own: key code 61.
        {"Eq== Eq2==,SHIFT A=F1=B A=F1= A=B==,ALT", "Eq=61, Eq2=61 m1, A=66, A=61, A=61 m4"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(host, "[Keyboard]\n" + c.entries), c.bindings) << c.entries;
}

// The fuzz test fills whole tables; here a partly filled one is appended to.
TEST(KeyBindingsLoad, AppendsWithinCapacityAndKeepsTheTableWithoutAFile) {
    TestHost host;
    KeyBinding store[4] = {Bind("Kept", 65, 3, 1, 7), {}, {}, Bind("Guard", 77)};
    KeyBindingTable small = {3, 1, store};
    EXPECT_EQ(LoadKeyBindings("C:\\FS9\\Missing.cfg", "Keyboard", &small), 0);
    host.WriteFile(kCfg, "[Keyboard] A=F1 B=F2 C=F3");
    EXPECT_EQ(LoadKeyBindings(kCfg, "Keyboard", &small), 1);
    EXPECT_EQ(Describe(store, 4), "Kept=65 m3 d z7, A=112, B=113, Guard=77");
}

TEST(KeyBindingsSave, ExactText) {
    TestHost host;
    KeyBinding b[] = {
        Bind("ToggleFlyBy", 112, 1, 1), Bind("N", 0, 0, 0, 100), Bind("P", 312, 15, 1, 5), Bind("X", 1003, 8),
        // A code without a row is its low byte, left out when it would cut
        // the entry short or read back as another key.
        Bind("K", 'j'), Bind("K", 5), Bind("K", ',', 1), Bind("K", 0x100, 1), Bind("K", 0x120, 2), Bind("K", 0x10A),
        Bind("K", '[', 4), Bind("K", 0x161),
        // Only the four modifier bits are written; a dead zone as it is held.
        Bind("K", 9, 0x30, 7, -3), Bind("", 13),
    };
    std::memset(b[13].name, 'n', sizeof b[13].name);  // no terminator: cut to 31
    EXPECT_EQ(Write(host, b, 14),
              "[Keyboard]\r\n\r\nToggleFlyBy=F1,SHIFT,DOUBLE\r\nN=NONE,NZ100\r\n"
              "P=JOYSTICK_1_BUTTON_3,SHIFT,CONTROL,ALT,INVERSE,DOUBLE,NZ5\r\nX=\xeb,INVERSE\r\n"
              "K=j\r\nK=\x05\r\nK=,,SHIFT\r\nK=,SHIFT\r\nK=,CONTROL\r\nK=\r\nK=,ALT\r\nK=\r\n"
              "K=TAB,DOUBLE,NZ-3\r\n" + std::string(31, 'n') + "=RETURN\r\n\r\n");
    EXPECT_EQ(Write(host, b, 0), "[Keyboard]\r\n\r\n\r\n");
    EXPECT_EQ(Write(host, b, 3, 1), "[Keyboard]\r\n\r\nToggleFlyBy=F1,SHIFT,DOUBLE\r\n\r\n") << "a count above capacity";
}

// Every key code and flag survives a write and a read, except codes that
// cannot be written: they come back as 0, a lower-case letter upper-cased.
TEST(KeyBindingsRoundTrip, KeyCodesAndFlags) {
    TestHost host;
    auto readBack = [](int code) {
        if (FindKeyCode(code)) return code;
        if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
        return code >= 33 && code <= 127 && code != ',' && code != '[' ? code : 0;
    };
    std::vector<int> codes;
    for (int code = -3; code < 1300; code++) codes.push_back(code);
    for (int code : {0xFFFF, 0x10000 + 'A', 0x7FFFFFFF, int(0x80000000u)}) codes.push_back(code);
    for (std::size_t start = 0; start < codes.size(); start += kKeyBindingCapacity) {
        std::vector<KeyBinding> out, expected;
        for (std::size_t i = start; i < codes.size() && out.size() < std::size_t(kKeyBindingCapacity); i++) {
            out.push_back(Bind("Cmd" + std::to_string(i), codes[i], int(i % 16), int(i % 3 == 0), int(i % 101)));
            expected.push_back(Bind(out.back().name, readBack(codes[i]), int(i % 16), int(i % 3 == 0), int(i % 101)));
        }
        const int count = int(out.size());
        EXPECT_EQ(Read(host, Write(host, out.data(), count)), Describe(expected.data(), count)) << codes[start];
    }
}
