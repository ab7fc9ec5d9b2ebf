// key_bindings_fuzz_test.cpp - hostile configuration files against the key
// binding reader: random bytes, huge tokens, floods of entries, '[' and '='
// storms. Whatever the file, the table stays within its capacity, every
// record is well formed, and what was read survives a write and a re-read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "input/key_bindings.h"
#include "input/key_names.h"
#include "test_host.h"

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";
constexpr int kGuards = 4;

using Rng = std::mt19937;

int Pick(Rng& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

std::string RandomBytes(Rng& rng, int size) {
    std::string s(std::size_t(size), '\0');
    for (char& c : s) c = char(Pick(rng, 0, 255));
    return s;
}

// Bytes with a meaning to the reader, weighted towards them.
std::string HostileBytes(Rng& rng, int size) {
    static const char kAlphabet[] = "=,[]/NZnz09aAfF_ \t\r\n\v\f";
    std::string s;
    for (int i = 0; i < size; i++) {
        int r = Pick(rng, 0, 9);
        if (r < 7) {
            s += kAlphabet[Pick(rng, 0, int(sizeof kAlphabet) - 2)];
        } else if (r == 7) {
            s += '\0';
        } else if (r == 8) {
            s += '\xff';
        } else {
            s += char(Pick(rng, 1, 255));
        }
    }
    return s;
}

const char* const kWords[] = {
    "[Keyboard]", "[keyboard]", "[KEYBOARD]", "[Other]", "[", "]", "[Keyboard", "=", "==", ",", ",,", "//",
    "SHIFT", "shift", "CONTROL", "alt", "INVERSE", "DOUBLE", "double", "NZ", "nz50", "NZ-7", "NZ999999999999",
    "NONE", "f1", "F12", "JOYSTICK_4_BUTTON_30", "joystick_1_axis_x", "MOUSE_WHEEL_UP", "numpad_0", "a", "j",
    "Q", "?", "~", "\x7f", "0", "9", "ToggleFlyBy", "PilotForward", "//Comment=F1",
};

std::string RandomWord(Rng& rng) {
    int r = Pick(rng, 0, 9);
    if (r < 6) return kWords[Pick(rng, 0, int(sizeof kWords / sizeof kWords[0]) - 1)];
    if (r < 9) return HostileBytes(rng, Pick(rng, 1, 12));
    return RandomBytes(rng, Pick(rng, 1, 6));
}

// An entry-shaped token: name, '=', value words joined by odd separators.
std::string RandomEntry(Rng& rng) {
    std::string s = Pick(rng, 0, 5) == 0 ? RandomWord(rng) : "Cmd" + std::to_string(Pick(rng, 0, 999));
    s += '=';
    int words = Pick(rng, 0, 5);
    for (int i = 0; i < words; i++) {
        if (i) s += Pick(rng, 0, 6) == 0 ? std::string(1, char(Pick(rng, 1, 255))) : std::string(",");
        s += RandomWord(rng);
    }
    // Most entries keep clear of '[', which would end the section.
    if (Pick(rng, 0, 19)) {
        for (char& c : s) {
            if (c == '[') c = ']';
        }
    }
    return s;
}

std::string Blank(Rng& rng) {
    static const char* const kBlanks[] = {" ", "\n", "\r\n", "\t", "\v\f", "  \r\n\r\n"};
    return kBlanks[Pick(rng, 0, 5)];
}

std::string MakeFile(Rng& rng, int kind) {
    std::string s;
    switch (kind) {
    case 0:  // noise
        return RandomBytes(rng, Pick(rng, 0, 4000));
    case 1:  // noise with the reader's bytes
        return HostileBytes(rng, Pick(rng, 0, 4000));
    case 2: {  // token soup around headers
        int n = Pick(rng, 0, 400);
        for (int i = 0; i < n; i++) {
            int r = Pick(rng, 0, 9);
            s += r < 2 ? "[Keyboard]" : (r < 6 ? RandomEntry(rng) : RandomWord(rng));
            if (Pick(rng, 0, 7)) s += Blank(rng);
        }
        return s;
    }
    case 3: {  // huge tokens between entries
        s = "[Keyboard]\n";
        int n = Pick(rng, 1, 4);
        for (int i = 0; i < n; i++) {
            s += RandomEntry(rng) + "\n";
            std::string huge = Pick(rng, 0, 1) ? "Huge=" : "";
            huge += Pick(rng, 0, 1) ? HostileBytes(rng, Pick(rng, 5000, 8000))
                                    : std::string(std::size_t(Pick(rng, 5000, 8000)), "=,aN["[Pick(rng, 0, 4)]);
            for (char& c : huge) {
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') c = '=';
            }
            s += huge + Blank(rng);
        }
        return s;
    }
    case 4: {  // a flood of entries, the last line unterminated
        s = "[Keyboard]\r\n";
        int n = Pick(rng, 300, 1500);
        for (int i = 0; i < n; i++) {
            if (Pick(rng, 0, 40) == 0) s += "[Keyboard]\r\n";  // back in after a stray '['
            s += RandomEntry(rng);
            s += i + 1 < n ? "\r\n" : "";
        }
        return s;
    }
    default: {  // a well-formed file with damage
        s = "[Keyboard]\r\n\r\n";
        int n = Pick(rng, 1, 300);
        for (int i = 0; i < n; i++) {
            const KeyNameRow& row = kKeyNameTable[Pick(rng, 0, kKeyNameRowCount - 1)];
            s += "Cmd" + std::to_string(i) + "=" + row.keyName + ",SHIFT,NZ" + std::to_string(Pick(rng, -5, 150)) +
                 "\r\n";
        }
        int hits = Pick(rng, 1, 30);
        for (int i = 0; i < hits && !s.empty(); i++) {
            std::size_t at = std::size_t(Pick(rng, 0, int(s.size()) - 1));
            static const char kDamage[] = {'[', '=', ',', '\0', '\xff', ' ', '/'};
            s[at] = kDamage[Pick(rng, 0, int(sizeof kDamage) - 1)];
        }
        return s;
    }
    }
}

struct FuzzTable {
    int capacity;
    std::vector<KeyBinding> store;
    KeyBindingTable table;

    explicit FuzzTable(int cap) : capacity(cap), store(std::size_t(cap + kGuards)), table{cap, 0, store.data()} {
        for (int i = 0; i < kGuards; i++) std::memset(&store[std::size_t(cap + i)], 0x5A, sizeof(KeyBinding));
    }
};

// A binding the reader cannot be the author of, kept ahead of what it adds.
KeyBinding Preset(int i) {
    KeyBinding b = {};
    std::snprintf(b.name, sizeof b.name, "Preset%d", i);
    b.keyCode = 500 + i % 40;
    b.modifiers = i % 16;
    b.doubleFlag = i % 2;
    b.deadZone = i % 101;
    return b;
}

bool SameRecord(const KeyBinding& a, const KeyBinding& b) {
    return std::strcmp(a.name, b.name) == 0 && a.keyCode == b.keyCode && a.modifiers == b.modifiers &&
           a.doubleFlag == b.doubleFlag && a.deadZone == b.deadZone;
}

// A key code the reader can produce: a row's, or a printable character that
// is not a lower-case letter, a word separator or the section mark.
bool ReadableKeyCode(int code) {
    if (FindKeyCode(code)) return true;
    return code >= 33 && code <= 127 && !(code >= 'a' && code <= 'z') && code != ',' && code != '[';
}

std::string Save(const TestHost& host, const KeyBindingTable& table) {
    std::FILE* file = OpenTextFileForWriting(kCfg);
    if (!file) return "";
    SaveKeyBindings(file, "Keyboard", &table);
    std::fclose(file);
    return host.ReadFile(kCfg);
}

}  // namespace

TEST(KeyBindingsFuzz, HostileFilesKeepTheTableSound) {
    TestHost host;
    const int kCapacities[] = {0, 1, 7, kKeyBindingCapacity, kKeyBindingCapacity, kKeyBindingCapacity};
    long long entriesRead = 0;
    int fullTables = 0;

    for (std::uint32_t seed = 1; seed <= 150; seed++) {
        Rng rng(seed);
        const int kind = int(seed % 6);
        const int capacity = kCapacities[Pick(rng, 0, 5)];
        const int presets = capacity ? Pick(rng, 0, capacity / 4) : 0;
        SCOPED_TRACE(testing::Message() << "seed " << seed << " kind " << kind << " capacity " << capacity);

        host.WriteFile(kCfg, MakeFile(rng, kind));
        FuzzTable t(capacity);
        for (int i = 0; i < presets; i++) t.store[std::size_t(i)] = Preset(i);
        t.table.count = presets;
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &t.table), 1);

        ASSERT_GE(t.table.count, presets);
        ASSERT_LE(t.table.count, capacity);
        for (int i = 0; i < presets; i++) ASSERT_TRUE(SameRecord(t.store[std::size_t(i)], Preset(i))) << i;
        for (int i = 0; i < kGuards; i++) {
            const unsigned char* guard = reinterpret_cast<const unsigned char*>(&t.store[std::size_t(capacity + i)]);
            for (std::size_t k = 0; k < sizeof(KeyBinding); k++) ASSERT_EQ(guard[k], 0x5A);
        }
        for (int i = presets; i < t.table.count; i++) {
            const KeyBinding& b = t.store[std::size_t(i)];
            const void* end = std::memchr(b.name, 0, sizeof b.name);
            ASSERT_NE(end, nullptr) << i;
            for (const char* p = b.name; *p; p++) {
                unsigned char c = static_cast<unsigned char>(*p);
                ASSERT_TRUE(c > 32 && c < 128 && c != ',' && c != '=' && c != '[') << i << " byte " << int(c);
            }
            ASSERT_GE(b.deadZone, 0) << i;
            ASSERT_LE(b.deadZone, 100) << i;
            ASSERT_GE(b.modifiers, 0) << i;
            ASSERT_LE(b.modifiers, 15) << i;
            ASSERT_TRUE(b.doubleFlag == 0 || b.doubleFlag == 1) << i;
            ASSERT_EQ(b.active, 0) << i;
            ASSERT_EQ(b.rearm, 0) << i;
            ASSERT_TRUE(b.keyCode == 0 || ReadableKeyCode(b.keyCode)) << i << " code " << b.keyCode;
        }
        entriesRead += t.table.count - presets;
        if (capacity && t.table.count == capacity) fullTables++;

        // Written and read again, the table comes back, except a name that
        // begins with "//" (possible after leading separator bytes), which
        // then reads as a comment.
        std::vector<KeyBinding> expected;
        for (int i = 0; i < t.table.count; i++) {
            const KeyBinding& b = t.store[std::size_t(i)];
            if (!(b.name[0] == '/' && b.name[1] == '/')) expected.push_back(b);
        }
        const std::string written = Save(host, t.table);
        FuzzTable back(capacity);
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &back.table), 1);
        ASSERT_EQ(std::size_t(back.table.count), expected.size());
        for (std::size_t i = 0; i < expected.size(); i++) {
            ASSERT_TRUE(SameRecord(back.store[i], expected[i])) << i << " " << expected[i].name;
        }
        // A table that came back whole writes the very same file.
        if (expected.size() == std::size_t(t.table.count)) ASSERT_EQ(Save(host, back.table), written);
    }

    // The generators must reach the entry parser and the capacity limit, or
    // the checks above prove little.
    EXPECT_GT(entriesRead, 2500);
    EXPECT_GT(fullTables, 10);
}
