// sim_traffic.cpp - the substitute host's loaded modules and its AI traffic
// container.
//
// Layout in the simulated memory (the host's own choice where the module
// does not look):
//   acontain.dll at kSimAcontainBase; its Linkage record holds the container
//   getter at byte 0x4C.
//   container: word 0 its function table (entries 1 count, 2 get), word 1 the
//   number of slots, word 2 the slot array of aircraft object addresses.
//   aircraft object: word 0 its function table (entry 4 gives the simulation
//   record), word 1 the simulation record; the table follows at byte 0x20.
//   simulation record: word at 0x28 the aircraft data.
//   aircraft data: word at 0x40 zero while the aircraft is listed; latitude
//   and longitude (radians) and altitude (feet) as three doubles at 0x192;
//   the name, zero-terminated, at 0x165F.
// The call targets answer from memory, not from the vectors here, so memory
// written by hand (or by a fuzzer) drives them the same way.
#include "hostsim/sim_traffic.h"

#include <strings.h>

#include <cstring>

#include "hostsim/host_process.h"

namespace hostsim {

// [SECTION] Layout

static constexpr std::uint32_t kLinkageGetter = 0x4C;
static constexpr std::uint32_t kContainerTable = 0x20;  // the container's table, after it
static constexpr std::uint32_t kObjectSize = 0x40;
static constexpr std::uint32_t kObjectTable = 0x20;     // each object's table, inside its 0x40
static constexpr std::uint32_t kRecordSize = 0x40;
static constexpr std::uint32_t kRecordData = 0x28;
static constexpr std::uint32_t kDataSize = 0x2000;
static constexpr std::uint32_t kDataHidden = 0x40;
static constexpr std::uint32_t kDataPosition = 0x192;
static constexpr std::uint32_t kDataName = 0x165F;
static constexpr std::size_t kNameRoom = kDataSize - kDataName - 1;

static TrafficHost g_traffic;

TrafficHost& Traffic() {
    return g_traffic;
}

void ResetTraffic() {
    g_traffic = TrafficHost{};
}

static HostAddr ObjectAt(std::size_t i) {
    return kSimAiObjects + HostAddr(i) * kObjectSize;
}

static HostAddr DataAt(std::size_t i) {
    return kSimAiData + HostAddr(i) * kDataSize;
}

static void PublishPosition(std::size_t i) {
    double position[3];
    AiDataPosition(g_traffic.aircraft[i], position);
    Write(DataAt(i) + kDataPosition, position, sizeof position);
}

static void PublishAircraft(std::size_t i) {
    const AiAircraft& a = g_traffic.aircraft[i];
    const HostAddr object = ObjectAt(i);
    const HostAddr table = object + kObjectTable;
    const HostAddr record = kSimAiRecords + HostAddr(i) * kRecordSize;
    const HostAddr data = DataAt(i);
    Write32(kSimContainerSlots + HostAddr(4 * i), a.broken == kAiNullObject ? 0 : object);
    Write32(object, a.broken == kAiNullTable ? 0 : table);
    Write32(object + 4, a.broken == kAiNullRecord ? 0 : record);
    for (std::uint32_t entry = 0; entry < 4; entry++) Write32(table + 4 * entry, 0);
    Write32(table + 0x10, a.broken == kAiNullEntry ? 0 : kSimSimulationRecordFn);
    Write32(record + kRecordData, a.broken == kAiNullData ? 0 : data);
    Write32(data + kDataHidden, a.hiddenWord);
    PublishPosition(i);
    std::string name = a.name.substr(0, kNameRoom);
    Write(data + kDataName, name.c_str(), std::uint32_t(name.size() + 1));
}

void PublishTraffic() {
    Commit(kSimAcontainBase, 0x3000);
    Commit(kSimContainerGetterFn, 0x20);
    Commit(kSimContainer, 0x100);
    Commit(kSimContainerSlots, 4 * kSimAiCapacity);
    std::size_t n = g_traffic.aircraft.size();
    if (n > std::size_t(kSimAiCapacity)) n = kSimAiCapacity;
    if (n > 0) {
        Commit(kSimAiObjects, std::uint32_t(n) * kObjectSize);
        Commit(kSimAiRecords, std::uint32_t(n) * kRecordSize);
        Commit(kSimAiData, std::uint32_t(n) * kDataSize);
    }
    const ContainerState state = g_traffic.state;
    Write32(kSimAcontainLinkage + kLinkageGetter, state == kContainerNullGetter ? 0 : kSimContainerGetterFn);
    Write32(kSimContainer, state == kContainerNullTable ? 0 : kSimContainer + kContainerTable);
    Write32(kSimContainer + 4, std::uint32_t(n));
    Write32(kSimContainer + 8, kSimContainerSlots);
    Write32(kSimContainer + kContainerTable + 4, kSimContainerCountFn);
    Write32(kSimContainer + kContainerTable + 8, kSimContainerGetFn);
    for (std::size_t i = 0; i < n; i++) PublishAircraft(i);
}

void FlyTraffic(double dt) {
    for (std::size_t i = 0; i < g_traffic.aircraft.size() && i < std::size_t(kSimAiCapacity); i++) {
        if (FlyAi(&g_traffic.aircraft[i], dt)) PublishPosition(i);
    }
}

AiAircraft* FindAi(const std::string& name) {
    for (AiAircraft& a : g_traffic.aircraft) {
        if (a.name == name) return &a;
    }
    return nullptr;
}

// [SECTION] Loader

struct LoadedModuleRow {
    const char* fileName;
    HostAddr base;
};

static const LoadedModuleRow kLoadedModules[] = {
    {"fs9.exe", 0x00400000}, {"G3D.DLL", kSimG3dBase}, {"GLOBAL.DLL", kSimGlobalBase},
    {"WEATHER.DLL", 0x03000000}, {"acontain.dll", kSimAcontainBase},
};

HostAddr LoadedModule(const char* fileName) {
    g_traffic.calls.moduleLookups++;
    if (!fileName) return 0;
    for (const LoadedModuleRow& row : kLoadedModules) {
        if (::strcasecmp(row.fileName, fileName) != 0) continue;
        if (row.base == kSimAcontainBase && g_traffic.state == kContainerUnloaded) return 0;
        return row.base;
    }
    return 0;
}

HostAddr ModuleExport(HostAddr module, const char* exportName) {
    g_traffic.calls.exportLookups++;
    if (module != kSimAcontainBase || !exportName || std::strcmp(exportName, "Linkage") != 0) return 0;
    return g_traffic.state == kContainerNoLinkage ? 0 : kSimAcontainLinkage;
}

// [SECTION] Call targets

// A real host faults on a call into memory that cannot be read.
static void NoteTarget(HostAddr fn) {
    if (!Readable(fn, 1)) g_traffic.calls.unreadableCalls++;
}

HostAddr CallContainerGetter(HostAddr fn) {
    NoteTarget(fn);
    if (fn != kSimContainerGetterFn) {
        g_traffic.calls.strayCalls++;
        return 0;
    }
    g_traffic.calls.getterCalls++;
    return g_traffic.state == kContainerNull ? 0 : kSimContainer;
}

std::int32_t CallContainerCount(HostAddr fn, HostAddr container) {
    NoteTarget(fn);
    if (fn != kSimContainerCountFn) {
        g_traffic.calls.strayCalls++;
        return 0;
    }
    g_traffic.calls.countCalls++;
    return std::int32_t(Read32(container + 4));
}

HostAddr CallContainerGet(HostAddr fn, HostAddr container, std::int32_t index) {
    NoteTarget(fn);
    if (fn != kSimContainerGetFn) {
        g_traffic.calls.strayCalls++;
        return 0;
    }
    g_traffic.calls.getCalls++;
    if (index < 0 || index >= std::int32_t(Read32(container + 4))) return 0;
    return Read32(Read32(container + 8) + 4 * std::uint32_t(index));
}

HostAddr CallSimulationRecord(HostAddr fn, HostAddr object) {
    NoteTarget(fn);
    if (fn != kSimSimulationRecordFn) {
        g_traffic.calls.strayCalls++;
        return 0;
    }
    g_traffic.calls.recordCalls++;
    return Read32(object + 4);
}

}  // namespace hostsim
