// key_bindings_fuzz_test.cpp - hostile configuration files against the key
// binding reader, from fixed seeds. Whatever the file, the table stays within
// its capacity, every record is well formed, what was read survives a write
// and a re-read whole, and a second write gives the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "input/key_bindings.h"
#include "test_host.h"

namespace {

const char* const kCfg = "C:\\FS9\\Skyvane2004.cfg";
constexpr int kGuards = 2;

// Words with a meaning to the reader; random bytes and huge words join them.
const char* const kWords[] = {
    "[Keyboard]", "[keyboard]", "[Other]", "[", "=", "==", ",", "//", "\x01//", "SHIFT", "control", "DOUBLE", "NZ",
    "nz50", "NZ-7", "NZ999999999999", "NONE", "f1", "F12", "JOYSTICK_4_BUTTON_30", "MOUSE_WHEEL_UP", "a", "Q", "\x7f",
};

std::string MakeFile(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto word = [&]() -> std::string {
        int r = pick(0, 199);
        if (r == 0) return std::string(std::size_t(pick(1000, 3000)), "=,aN["[pick(0, 4)]);
        if (r < 40) {
            std::string bytes(std::size_t(pick(1, 6)), '\0');
            for (char& c : bytes) c = char(pick(0, 255));
            return bytes;
        }
        return kWords[pick(0, int(std::size(kWords)) - 1)];
    };
    std::string s = "[Keyboard]\n";
    for (int i = pick(0, 1600); i > 0; i--) {
        int r = pick(0, 19);
        if (r < 16) {
            // An entry, most named plainly; most keep clear of '[', which would end the section.
            std::string entry = pick(0, 3) ? "Cmd" + std::to_string(pick(0, 999)) : word();
            entry += "=" + word();
            entry += "," + word();
            if (pick(0, 9)) std::replace(entry.begin(), entry.end(), '[', ']');
            s += entry;
        } else {
            s += r == 19 ? "[Keyboard]" : word();
        }
        s += " \n\r\t"[pick(0, 3)];
    }
    return s;
}

struct FuzzTable {
    std::vector<KeyBinding> store;
    KeyBindingTable table;
    explicit FuzzTable(int capacity) : store(std::size_t(capacity + kGuards)), table{capacity, 0, store.data()} {
        std::memset(&store[std::size_t(capacity)], 0x5A, kGuards * sizeof(KeyBinding));
    }
};

std::string Record(const KeyBinding& b) {
    return std::string(b.name, strnlen(b.name, sizeof b.name)) + "=" + std::to_string(b.keyCode) + " " +
           std::to_string(b.modifiers) + " " + std::to_string(b.doubleFlag) + " " + std::to_string(b.deadZone) +
           " " + std::to_string(b.active) + " " + std::to_string(b.rearm);
}

std::string Save(const TestHost& host, const KeyBindingTable& table) {
    std::FILE* file = OpenTextFileForWriting(kCfg);
    SaveKeyBindings(file, "Keyboard", &table);
    std::fclose(file);
    return host.ReadFile(kCfg);
}

}  // namespace

TEST(KeyBindingsFuzz, HostileFilesKeepTheTableSound) {
    TestHost host;
    const int kCapacities[] = {0, 1, 7, kKeyBindingCapacity};
    int entriesRead = 0, fullTables = 0;
    for (std::uint32_t seed = 1; seed <= 120; seed++) {
        std::mt19937 rng(seed);
        const int capacity = kCapacities[seed % 4];
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", capacity " << capacity);
        host.WriteFile(kCfg, MakeFile(rng));
        FuzzTable t(capacity);
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &t.table), 1);

        ASSERT_LE(t.table.count, capacity);
        const std::string guard(kGuards * sizeof(KeyBinding), '\x5A');
        ASSERT_EQ(std::memcmp(&t.store[std::size_t(capacity)], guard.data(), guard.size()), 0) << "wrote past capacity";
        std::vector<std::string> expected;
        for (int i = 0; i < t.table.count; i++) {
            const KeyBinding& b = t.store[std::size_t(i)];
            ASSERT_NE(std::memchr(b.name, 0, sizeof b.name), nullptr) << "name " << i << " not terminated";
            ASSERT_TRUE(b.deadZone >= 0 && b.deadZone <= 100 && b.modifiers >= 0 && b.modifiers <= 15 &&
                        (b.doubleFlag == 0 || b.doubleFlag == 1) && b.active == 0 && b.rearm == 0)
                << Record(b);
            expected.push_back(Record(b));
        }
        entriesRead += t.table.count;
        fullTables += capacity == kKeyBindingCapacity && t.table.count == capacity;

        const std::string written = Save(host, t.table);
        FuzzTable back(capacity);
        ASSERT_EQ(LoadKeyBindings(kCfg, "Keyboard", &back.table), 1);
        ASSERT_EQ(std::size_t(back.table.count), expected.size());
        for (std::size_t i = 0; i < expected.size(); i++) ASSERT_EQ(Record(back.store[i]), expected[i]) << i;
        // Every binding came back, so the table writes the very same file.
        ASSERT_EQ(Save(host, back.table), written);
    }
    // The generator must reach the entry parser and the capacity limit, or
    // the checks above prove little.
    EXPECT_GT(entriesRead, 4000);
    EXPECT_GT(fullTables, 8) << "tables of the module's capacity filled";
}
