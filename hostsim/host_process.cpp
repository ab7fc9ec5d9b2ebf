// host_process.cpp - the simulator's process in the substitute host.
#include "hostsim/host_process.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "host/host_access.h"
#include "shell/module_exports.h"

namespace hostsim {

// [SECTION] Address space

static constexpr std::uint32_t kPageBits = 12;
static constexpr std::uint32_t kPageSize = 1u << kPageBits;
static constexpr std::uint32_t kPageCount = 1u << (32 - kPageBits);

// One pointer per page of the 4 GiB space; a page exists once committed.
static std::unique_ptr<std::uint8_t[]> g_pages[kPageCount];
// Pages committed since the last reset, so that a reset (once per fuzz run)
// need not visit the million page slots; and pages given back, kept for the
// next commit (a fresh allocation each run is slow under the sanitizers).
static std::vector<std::uint32_t> g_committed;
static std::vector<std::unique_ptr<std::uint8_t[]>> g_spare;

static void GiveBack(std::uint32_t p) {
    if (g_pages[p]) g_spare.push_back(std::move(g_pages[p]));
}

void ResetMemory() {
    for (std::uint32_t p : g_committed) GiveBack(p);
    g_committed.clear();
}

void Commit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uint64_t last = (std::uint64_t(addr) + size - 1) >> kPageBits;
    for (std::uint64_t p = addr >> kPageBits; p <= last && p < kPageCount; p++) {
        if (g_pages[p]) continue;
        if (g_spare.empty()) {
            g_pages[p].reset(new std::uint8_t[kPageSize]);
        } else {
            g_pages[p] = std::move(g_spare.back());
            g_spare.pop_back();
        }
        std::memset(g_pages[p].get(), 0, kPageSize);
        g_committed.push_back(std::uint32_t(p));
    }
}

void Decommit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uint64_t last = (std::uint64_t(addr) + size - 1) >> kPageBits;
    for (std::uint64_t p = addr >> kPageBits; p <= last && p < kPageCount; p++) GiveBack(std::uint32_t(p));
}

bool Readable(HostAddr addr, std::uint32_t size) {
    if (std::uint64_t(addr) + size > (std::uint64_t(1) << 32)) return false;
    if (size == 0) return true;
    std::uint32_t last = (addr + size - 1) >> kPageBits;
    for (std::uint32_t p = addr >> kPageBits; p <= last; p++) {
        if (!g_pages[p]) return false;
    }
    return true;
}

// Copies page by page; bytes of missing pages read as zero, writes to them
// are dropped: the substitute host never faults.
template <typename Fn>
static void EachPiece(HostAddr addr, std::uint32_t size, Fn fn) {
    std::uint64_t at = addr, end = std::uint64_t(addr) + size;
    std::uint32_t done = 0;
    while (at < end && at < (std::uint64_t(1) << 32)) {
        std::uint32_t offset = std::uint32_t(at & (kPageSize - 1));
        std::uint32_t n = std::uint32_t(std::min<std::uint64_t>(kPageSize - offset, end - at));
        fn(g_pages[at >> kPageBits].get(), offset, done, n);
        at += n;
        done += n;
    }
}

void Read(HostAddr addr, void* out, std::uint32_t size) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    EachPiece(addr, size, [bytes](std::uint8_t* page, std::uint32_t offset, std::uint32_t done, std::uint32_t n) {
        if (page) {
            std::memcpy(bytes + done, page + offset, n);
        } else {
            std::memset(bytes + done, 0, n);
        }
    });
}

void Write(HostAddr addr, const void* data, std::uint32_t size) {
    auto* bytes = static_cast<const std::uint8_t*>(data);
    EachPiece(addr, size, [bytes](std::uint8_t* page, std::uint32_t offset, std::uint32_t done, std::uint32_t n) {
        if (page) std::memcpy(page + offset, bytes + done, n);
    });
}

std::uint32_t Read32(HostAddr addr) {
    std::uint32_t v = 0;
    Read(addr, &v, 4);
    return v;
}

void Write32(HostAddr addr, std::uint32_t value) {
    Write(addr, &value, 4);
}

// [SECTION] Records

static constexpr HostAddr kSimModuleList = 0x00500000;   // entries and names
static constexpr HostAddr kSimViewManager = 0x00600000;  // manager, arrays, elements
static constexpr HostAddr kSimViews = 0x00700000;        // one HostView per list
static constexpr HostAddr kSimOtherBase = 0x03000000;    // a module the walk passes over
static constexpr HostAddr kSimSecondGlobal = 0x04000000;

struct ListLayout {
    std::int32_t kind;
    std::uint32_t arrayOffset, countOffset;
};
static constexpr ListLayout kLists[] = {{3, 0x20, 0x28}, {4, 0x30, 0x38}, {5, 0x40, 0x48}};

HostAddr ViewAddress(std::int32_t kind) {
    return (kind >= 3 && kind <= 5) ? kSimViews + HostAddr(kind - 3) * 0x200 : 0;
}

static void WriteText(HostAddr addr, const char* text) {
    Write(addr, text, std::uint32_t(std::strlen(text) + 1));
}

// Entries of 20 bytes {next, name, 0, base, 0}; names 64 bytes after them.
static void WriteModuleList(const std::vector<std::pair<const char*, HostAddr>>& modules) {
    Decommit(kSimModuleList, 0x2000);
    Commit(kSimModuleList, 0x2000);
    for (std::size_t i = 0; i < modules.size(); i++) {
        HostAddr entry = kSimModuleList + HostAddr(i) * 0x20;
        HostAddr name = kSimModuleList + 0x1000 + HostAddr(i) * 0x40;
        HostAddr next = i + 1 < modules.size() ? entry + 0x20 : 0;
        std::uint32_t words[5] = {next, name, 0, modules[i].second, 0};
        Write(entry, words, sizeof words);
        WriteText(name, modules[i].first);
    }
}

void SetModuleList(ModuleListShape shape) {
    switch (shape) {
    case kModulesNormal:
        WriteModuleList({{"fs9.exe", 0x00400000}, {"G3D.DLL", kSimG3dBase}, {"WEATHER.DLL", kSimOtherBase},
                         {"GLOBAL.DLL", kSimGlobalBase}});
        Write32(kHostModuleListHead, kSimModuleList);
        break;
    case kModulesLowerCase:
        WriteModuleList({{"g3d.dll", kSimG3dBase}, {"global.dll", kSimGlobalBase}});
        Write32(kHostModuleListHead, kSimModuleList);
        break;
    case kModulesDuplicateGlobal:
        WriteModuleList({{"GLOBAL.DLL", kSimGlobalBase}, {"G3D.DLL", kSimG3dBase}, {"GLOBAL.DLL", kSimSecondGlobal}});
        Write32(kHostModuleListHead, kSimModuleList);
        break;
    case kModulesUnreadable:
        Write32(kHostModuleListHead, 0x0BAD0000);
        break;
    case kModulesEmpty:
        Write32(kHostModuleListHead, 0);
        break;
    }
}

void SetLayoutKind(std::int32_t kind) {
    Write32(kHostViewLayoutKind, std::uint32_t(kind));
}

void SetViewType(std::int32_t kind, std::int32_t type) {
    if (HostAddr view = ViewAddress(kind)) Write32(view + kViewType, std::uint32_t(type));
}

static void BuildViews() {
    Commit(kSimViewManager, 0x1000);
    Commit(kSimViews, 0x1000);
    for (const ListLayout& list : kLists) {
        HostAddr array = kSimViewManager + 0x100 + HostAddr(list.kind) * 0x10;
        HostAddr element = kSimViewManager + 0x400 + HostAddr(list.kind) * 0x40;
        Write32(kSimViewManager + list.arrayOffset, array);
        Write32(kSimViewManager + list.countOffset, 1);
        Write32(array, element);
        Write32(element + 0x18, ViewAddress(list.kind));
        HostView view{};
        ViewSet<std::int32_t>(&view, kViewSizeA, 1024);
        ViewSet<std::int32_t>(&view, kViewSizeB, 768);
        ViewSet<std::int32_t>(&view, kViewType, kViewTypeVirtualCockpit);
        ViewSet<std::int16_t>(&view, kViewZoom, 64);
        ViewSet<std::int16_t>(&view, kViewSpotZoom, 64);
        for (int row = 0; row < 3; row++) ViewSet<float>(&view, kViewMatrix + 16 * row + 4 * row, 1.0f);
        Write(ViewAddress(list.kind), view.bytes, kHostViewSize);
    }
    Write32(kHostViewManager, kSimViewManager);
    SetLayoutKind(3);
}

void BuildRecords() {
    Commit(0x0047D000, 0x1000);
    SetModuleList(kModulesNormal);
    BuildViews();
    Commit(kSimGlobalBase, 0x4000);
    Commit(kSimSecondGlobal, 0x4000);
    Commit(kSimG3dBase, kG3dProjectionMatrix + 0x100);
    Commit(kSimInterfaceTable, 0x100);
    Write32(kSimInterfaceTable + kInterfaceReadVariable, kSimReadVariableFn);
    Write32(kSimInterfaceTable + kInterfaceSendEvent, kSimSendEventFn);
    ImportTable.interfaceTable = kSimInterfaceTable;
}

// A (fraction, integer) word pair as the simulator reads it: a signed 32.32
// fixed-point number. (The module writes the fraction of the magnitude, so
// south and west of zero the host sees its points a little off.)
static double FixedPoint(std::uint32_t fraction, std::uint32_t integer) {
    return double(std::int32_t(integer)) + fraction / 4294967296.0;
}

CameraPosition ReadCameraPosition() {
    CameraPosition c{};
    Read(kSimGlobalBase + kGlobalDataArea + kCameraPositionRecord, c.words, sizeof c.words);
    c.latitude = FixedPoint(c.words[0], c.words[1]) / 111130.0;  // 10001700 units per 90 degrees
    c.longitude = FixedPoint(c.words[2], c.words[3]) * 360.0 / 4294967296.0;
    c.altitude = std::int16_t(c.words[5] & 0xFFFF) * 3.28084;
    return c;
}

// [SECTION] Variables and events

static constexpr std::uint32_t kVariableCount = 1024;
static double g_variables[kVariableCount];
static bool g_overridden[kVariableCount];
static std::vector<SentEvent> g_events;
static Aircraft g_plane;
static Screen g_screen;
static std::vector<int> g_fedRand;
static std::size_t g_fedAt;
static std::uint32_t g_randSeed = 1;

void SetVariable(std::uint32_t id, double value) {
    if (id >= kVariableCount) return;
    g_variables[id] = value;
    g_overridden[id] = true;
}

double Variable(std::uint32_t id) {
    return id < kVariableCount ? g_variables[id] : 0.0;
}

void ClearVariableOverrides() {
    for (bool& o : g_overridden) o = false;
    PublishAircraft();
}

const std::vector<SentEvent>& SentEvents() {
    return g_events;
}

void CallReadVariable(HostVariableRequest* request) {
    request->value = Variable(request->id);
}

void CallSendEvent(std::uint32_t id, std::uint32_t parameter) {
    g_events.push_back(SentEvent{id, parameter});
}

// [SECTION] The aircraft

Aircraft& Plane() {
    return g_plane;
}

static void Publish(std::uint32_t id, double value) {
    if (!g_overridden[id]) g_variables[id] = value;
}

static constexpr double kMetresPerDegreeNorth = 111130.52399516014;
static constexpr double kKnotsToFeetPerSecond = 1.6878098571;

void PublishAircraft() {
    const Aircraft& a = g_plane;
    bool onGround = a.altitude <= a.ground;
    Publish(2, a.ground * 0.3048 * 256.0);
    Publish(60, onGround ? 1.0 : 0.0);
    Publish(68, a.overspeed);
    Publish(71, a.latitude * kMetresPerDegreeNorth);
    Publish(72, a.longitude / 360.0 * 16777216.0 * 16777216.0);
    Publish(73, a.altitude * 0.3048);
    Publish(77, a.pitch);
    Publish(79, a.bank);
    Publish(86, a.heading);
    Publish(343, a.wind);
    Publish(349, a.buffet * 32768.0);
    Publish(351, a.gLoad * 624.0);
    // Body velocities: forward along the flight path, vertical from the
    // vertical speed; no sideslip.
    Publish(551, a.groundSpeed * kKnotsToFeetPerSecond);
    Publish(552, 0.0);
    Publish(553, a.verticalSpeed / 60.0);
    Publish(832, a.groundSpeed * 1852.0 / 3600.0);
}

void Fly(double dt) {
    Aircraft& a = g_plane;
    a.heading = std::fmod(a.heading + a.turnRate * dt + 360.0, 360.0);
    a.bank = std::atan(a.turnRate * 0.01745329251944 * a.groundSpeed * 0.514444 / 9.80665) * 57.29577951471995;
    double metres = a.groundSpeed * 1852.0 / 3600.0 * dt;
    double heading = a.heading * 0.01745329251944;
    a.latitude += metres * std::cos(heading) / kMetresPerDegreeNorth;
    double cosLat = std::cos(a.latitude * 0.01745329251944);
    if (cosLat > 1e-9) a.longitude += metres * std::sin(heading) / (kMetresPerDegreeNorth * cosLat);
    if (a.longitude > 180.0) a.longitude -= 360.0;
    if (a.longitude < -180.0) a.longitude += 360.0;
    a.altitude += a.verticalSpeed / 60.0 * dt;
    if (a.altitude <= a.ground) {
        a.altitude = a.ground;
        if (a.verticalSpeed < 0) a.verticalSpeed = 0;
    }
    // The nose follows the flight path: positive pitch is nose down.
    double forward = a.groundSpeed * kKnotsToFeetPerSecond;
    a.pitch = forward > 0 ? -std::atan2(a.verticalSpeed / 60.0, forward) * 57.29577951471995 : 0.0;
    PublishAircraft();
}

// [SECTION] Cursor, client area, rand()

Screen& TheScreen() {
    return g_screen;
}

void FeedRand(const std::vector<int>& values) {
    g_fedRand.insert(g_fedRand.end(), values.begin(), values.end());
}

int NextRand() {
    if (g_fedAt < g_fedRand.size()) return g_fedRand[g_fedAt++];
    g_randSeed = g_randSeed * 214013u + 2531011u;
    return int((g_randSeed >> 16) & 0x7FFF);
}

void ResetProcess() {
    ResetMemory();
    for (std::uint32_t i = 0; i < kVariableCount; i++) {
        g_variables[i] = 0.0;
        g_overridden[i] = false;
    }
    g_events.clear();
    g_plane = Aircraft{47.4647, 8.5492, 1416.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1416.0, 0.0, 1.0, 0, 1.0};
    g_screen = Screen{512, 384, 0, 0, 1024, 768};
    g_fedRand.clear();
    g_fedAt = 0;
    g_randSeed = 1;
    ImportTable.interfaceTable = 0;
    PublishAircraft();
}

}  // namespace hostsim
