// package_test.cpp - the release package's starter configuration file reads
// as exactly the bindings its install text promises the user; its head
// tracking settings read as tracking off with every setting understood and
// documented.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "input/head_tracking.h"
#include "input/key_bindings.h"
#include "input/key_names.h"
#include "test_host.h"

namespace {

struct Promised {
    std::string command;
    int keyCode;
    int modifiers;
    int doubleFlag;
};

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(SKYVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// "Ctrl+Shift+Numpad 8" -> modifiers and the key, by its display name or
// as a single character.
bool ParseKey(std::string key, int* code, int* modifiers) {
    const struct {
        const char* prefix;
        int bit;
    } words[] = {{"Ctrl+", 2}, {"Shift+", 1}, {"Alt+", 4}};
    *modifiers = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& w : words) {
            if (key.rfind(w.prefix, 0) == 0) {
                *modifiers |= w.bit;
                key.erase(0, std::string(w.prefix).size());
                found = true;
            }
        }
    }
    for (int i = 0; i < kKeyNameRowCount; i++) {
        if (key == kKeyNameTable[i].displayName) {
            *code = kKeyNameTable[i].keyCode;
            return true;
        }
    }
    if (key.size() != 1) return false;
    *code = static_cast<unsigned char>(key[0]);
    return true;
}

// The rows of the install text's table: key (up to two blanks), optional
// "hold", command, description.
std::vector<Promised> PromisedBindings(const std::string& text) {
    std::vector<Promised> rows;
    std::istringstream lines(text);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find("KEY") != std::string::npos && line.find("COMMAND") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (!inTable || line.size() < 30) continue;
        std::string key = line.substr(2, 28);
        key.erase(key.find_last_not_of(' ') + 1);
        std::istringstream rest(line.substr(30));
        std::string word, command;
        rest >> word;
        bool hold = word == "hold";
        command = hold ? (rest >> word, word) : word;
        Promised p{command, 0, 0, hold ? 1 : 0};
        EXPECT_TRUE(ParseKey(key, &p.keyCode, &p.modifiers)) << "unknown key in the install text: " << key;
        rows.push_back(p);
    }
    return rows;
}

TEST(ReleasePackage, StarterConfigurationHoldsExactlyTheListedBindings) {
    TestHost host;
    host.WriteFile("C:\\FS9\\Skyvane2004.cfg", ReadSource("package/Skyvane2004.cfg"));
    KeyBinding store[kKeyBindingCapacity] = {};
    KeyBindingTable table = {kKeyBindingCapacity, 0, store};
    ASSERT_EQ(LoadKeyBindings("C:\\FS9\\Skyvane2004.cfg", "Keyboard", &table), 1);

    std::vector<Promised> promised = PromisedBindings(ReadSource("package/Skyvane2004-Install.txt"));
    ASSERT_GT(promised.size(), 10u) << "the install text lists no bindings";
    ASSERT_EQ(std::size_t(table.count), promised.size()) << "bindings in the file vs rows in the install text";
    for (std::size_t i = 0; i < promised.size(); i++) {
        const KeyBinding& b = store[i];
        const Promised& p = promised[i];
        EXPECT_EQ(std::string(b.name), p.command) << "row " << i + 1;
        EXPECT_EQ(b.keyCode, p.keyCode) << p.command;
        EXPECT_EQ(b.modifiers, p.modifiers) << p.command;
        EXPECT_EQ(b.doubleFlag, p.doubleFlag) << p.command;
    }
}

TEST(ReleasePackage, HeadTrackingSettingsShipOffWithEverySettingReadAndDocumented) {
    const std::string text = ReadSource("package/Skyvane2004-HeadTracking.cfg");
    HeadTrackConfig config;
    SetDefaultHeadTrackConfig(&config);
    config.enabled = 1, config.port = 1;  // the file itself must set both back
    EXPECT_EQ(ParseHeadTrackConfig(text.data(), text.data() + text.size(), &config), 14)
        << "Enabled, Port and twelve per-axis settings";
    EXPECT_EQ(config.enabled, 0) << "tracking ships off";
    EXPECT_EQ(config.port, 4242);
    for (int axis = 0; axis < kTrackAxisCount; axis++) {
        EXPECT_EQ(config.scale[axis], 1.0) << axis;
        EXPECT_EQ(config.invert[axis], 0) << axis;
    }
    // Each line of the file appears word for word in the install text's table.
    const std::string install = ReadSource("package/Skyvane2004-Install.txt");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '[') continue;
        const std::size_t at = install.find("\n  " + line);
        const std::size_t after = at + 3 + line.size();
        EXPECT_TRUE(at != std::string::npos && after < install.size() &&
                    (install[after] == ' ' || install[after] == '\r' || install[after] == '\n'))
            << line << " is not in the install text";
    }
}

// Users open these files in the system's plain text editor, which shows a
// file of bare LF line ends as one long line.
TEST(ReleasePackage, TextFilesEndTheirLinesWithCrLf) {
    for (const char* name : {"package/Skyvane2004-Install.txt", "package/Skyvane2004.cfg",
                             "package/Skyvane2004-HeadTracking.cfg"}) {
        const std::string text = ReadSource(name);
        ASSERT_FALSE(text.empty()) << name;
        int bare = 0;
        for (std::size_t i = 0; i < text.size(); i++) bare += text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        EXPECT_EQ(bare, 0) << name << " has lines ending in a bare LF";
        EXPECT_EQ(text.back(), '\n') << name << " ends without a line end";
    }
}

}  // namespace
