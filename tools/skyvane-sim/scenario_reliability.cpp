// scenario_reliability.cpp - scenario commands for hostile conditions: files
// that are there but cannot be opened, a full disk, a process that ends
// before it replaces a file, and any bytes written into the live host view
// record (NaN and infinite floats included).
#include <cstdint>
#include <cstring>

#include "host/host_access.h"
#include "host/host_records.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_files.h"
#include "scenario.h"

static bool OnOff(Scenario& s, const std::string& word, bool* on, const char* usage) {
    if (word != "on" && word != "off") return ScenarioError(s, "%s", usage);
    *on = word == "on";
    return true;
}

// file-lock PATH [off]: the file exists but cannot be opened.
static bool FileLockCommand(Scenario& s, const Args& a) {
    if (a.size() == 2 && a[1] != "off") return ScenarioError(s, "file-lock PATH [off]");
    hostsim::LockFile(a[0], a.size() == 1);
    return true;
}

// disk-full on|off: every write into a file fails (opening still empties it).
static bool DiskFullCommand(Scenario& s, const Args& a) {
    bool on = false;
    if (!OnOff(s, a[0], &on, "disk-full on|off")) return false;
    hostsim::SetDiskFull(on);
    return true;
}

// replace-fails on|off: putting a written file in the place of another fails,
// as when the process ends just before.
static bool ReplaceFailsCommand(Scenario& s, const Args& a) {
    bool on = false;
    if (!OnOff(s, a[0], &on, "replace-fails on|off")) return false;
    hostsim::SetReplaceFails(on);
    return true;
}

// host-view-raw OFFSET float|int32|int16|byte VALUE: a field of the live host
// view record, as a broken host would leave it.
static bool HostViewRawCommand(Scenario& s, const Args& a) {
    const char* usage = "host-view-raw OFFSET float|int32|int16|byte VALUE";
    HostAddr view = hostsim::ViewAddress(std::int32_t(hostsim::Read32(kHostViewLayoutKind)));
    if (view == 0) return ScenarioError(s, "host-view-raw: the layout kind names no view list");
    long long offset = 0, number = 0;
    double real = 0.0;
    if (!ParseNumber(a[0], &offset) || offset < 0) return ScenarioError(s, "%s", usage);
    std::uint8_t bytes[4] = {};
    std::uint32_t size = 0;
    if (a[1] == "float" && ParseDouble(a[2], &real)) {
        float value = float(real);
        std::memcpy(bytes, &value, size = 4);
    } else if (a[1] == "int32" && ParseNumber(a[2], &number)) {
        std::uint32_t value = std::uint32_t(number);
        std::memcpy(bytes, &value, size = 4);
    } else if (a[1] == "int16" && ParseNumber(a[2], &number)) {
        std::uint16_t value = std::uint16_t(number);
        std::memcpy(bytes, &value, size = 2);
    } else if (a[1] == "byte" && ParseNumber(a[2], &number)) {
        bytes[0] = std::uint8_t(number);
        size = 1;
    } else {
        return ScenarioError(s, "%s", usage);
    }
    if (std::uint64_t(offset) + size > kHostViewSize) return ScenarioError(s, "host-view-raw: past the record");
    hostsim::Write(view + std::uint32_t(offset), bytes, size);
    return true;
}

static const ScenarioCommand kReliabilityCommands[] = {
    {"file-lock", 1, 2, FileLockCommand, "file-lock PATH [off]"},
    {"disk-full", 1, 1, DiskFullCommand, "disk-full on|off"},
    {"replace-fails", 1, 1, ReplaceFailsCommand, "replace-fails on|off"},
    {"host-view-raw", 3, 3, HostViewRawCommand, "host-view-raw OFFSET float|int32|int16|byte VALUE"},
};

ScenarioTable ReliabilityScenarioCommands() {
    return {kReliabilityCommands, int(sizeof kReliabilityCommands / sizeof kReliabilityCommands[0])};
}
