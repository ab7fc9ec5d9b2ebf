// traffic_list.cpp - the AI traffic read from the host's aircraft container.
// Touches: host memory and host calls through the seam; its own binding
// statics. Every host read is preceded by the readability test, and the walk
// is bounded by the caller's capacity whatever the host's count says.
#include "host/traffic_list.h"

#include <cstddef>
#include <cstring>

#include "host/host_access.h"
#include "platform/platform_host_calls.h"

// [SECTION] The host's container, as the host lays it out

static constexpr char kContainerModule[] = "acontain.dll";
static constexpr char kContainerExport[] = "Linkage";
static constexpr std::uint32_t kLinkageContainerFn = 0x4C;  // function returning the container
static constexpr std::uint32_t kTableCount = 0x04;          // container table entry 1
static constexpr std::uint32_t kTableGet = 0x08;            // container table entry 2
static constexpr std::uint32_t kTableSimulationRecord = 0x10;  // aircraft table entry 4
static constexpr std::uint32_t kRecordData = 0x28;          // simulation record -> aircraft data
static constexpr std::uint32_t kDataHidden = 0x40;          // must be 0 to be listed
static constexpr std::uint32_t kDataPosition = 0x192;       // latitude, longitude, altitude doubles
static constexpr std::uint32_t kDataName = 0x165F;          // zero-terminated
static constexpr std::uint32_t kPositionBytes = 24;
static constexpr std::uint32_t kNameChars = sizeof(TrafficRecord::name) - 1;
static_assert(offsetof(TrafficRecord, longitude) == offsetof(TrafficRecord, latitude) + 8 &&
                  offsetof(TrafficRecord, altitude) == offsetof(TrafficRecord, latitude) + 16,
              "the three position doubles are one 24-byte block");

// [SECTION] Binding (zero at start; bound once, never tested again)

static HostAddr s_module;      // acontain.dll
static HostAddr s_linkage;     // its Linkage record
static HostAddr s_container;   // the container object
static HostAddr s_countFn;     // container table entry 1
static HostAddr s_getFn;       // container table entry 2

// A word of host memory, 0 when it cannot be read.
static HostAddr GuardedWord(HostAddr at) {
    return PlatHostReadable(at, 4) ? HostRead32(at) : 0;
}

// A host function read from host memory, 0 when its first byte cannot be
// read: a call there would fault whatever convention it used. (Readable is
// not proof of code, but it is all the module can test.)
static HostAddr GuardedFunction(HostAddr at) {
    HostAddr fn = GuardedWord(at);
    return fn != 0 && PlatHostReadable(fn, 1) ? fn : 0;
}

void BindAircraftContainer() {
    s_countFn = 0;
    s_getFn = 0;
    s_module = PlatHostFindLoadedModule(kContainerModule);
    s_linkage = s_module ? PlatHostFindExport(s_module, kContainerExport) : 0;
    if (s_linkage == 0) return;
    HostAddr getter = GuardedFunction(s_linkage + kLinkageContainerFn);
    if (getter == 0) return;  // nothing to call
    s_container = PlatHostCallContainerGetter(getter);
    if (s_container == 0) return;
    HostAddr table = GuardedWord(s_container);
    if (table == 0) return;
    s_countFn = GuardedFunction(table + kTableCount);
    s_getFn = GuardedFunction(table + kTableGet);
}

void ResetTrafficList() {
    s_module = s_linkage = s_container = s_countFn = s_getFn = 0;
}

// [SECTION] Listing

// The aircraft data behind a host aircraft object; 0 when any link is
// missing or the aircraft is not to be listed.
static HostAddr ListedAircraftData(HostAddr object) {
    if (object == 0) return 0;
    HostAddr table = GuardedWord(object);
    if (table == 0) return 0;
    HostAddr recordFn = GuardedFunction(table + kTableSimulationRecord);
    if (recordFn == 0) return 0;
    HostAddr record = PlatHostCallSimulationRecord(recordFn, object);
    if (record == 0) return 0;
    HostAddr data = GuardedWord(record + kRecordData);
    if (data == 0) return 0;
    if (!PlatHostReadable(data + kDataHidden, 4) || HostRead32(data + kDataHidden) != 0) return 0;
    return data;
}

// The name, at most 31 characters, ending early at its terminator or at the
// first byte that cannot be read; always terminated.
static void CopyHostName(HostAddr name, char out[sizeof(TrafficRecord::name)]) {
    std::uint32_t n = 0;
    if (PlatHostReadable(name, kNameChars)) {
        PlatHostRead(name, out, kNameChars);
        n = kNameChars;
    } else {
        while (n < kNameChars && PlatHostReadable(name + n, 1)) {
            PlatHostRead(name + n, &out[n], 1);
            n++;
        }
    }
    out[n] = 0;
}

// 0 when the position cannot be read: the aircraft is skipped.
static int FillRecord(TrafficRecord* record, HostAddr data) {
    if (!PlatHostReadable(data + kDataPosition, kPositionBytes)) return 0;
    // One block straight into the record: the bits arrive as the host holds
    // them, whatever they are.
    PlatHostRead(data + kDataPosition, &record->latitude, kPositionBytes);
    record->excluded = 0;
    CopyHostName(data + kDataName, record->name);
    return 1;
}

int EnumerateTraffic(TrafficRecord* records, int capacity) {
    if (s_countFn == 0 || s_getFn == 0) {
        BindAircraftContainer();
        return 0;
    }
    const std::int32_t count = PlatHostCallContainerCount(s_countFn, s_container);
    int filled = 0;
    for (std::int32_t index = 0; index < count && index < capacity; index++) {
        HostAddr data = ListedAircraftData(PlatHostCallContainerGet(s_getFn, s_container, index));
        if (data != 0 && FillRecord(&records[filled], data)) filled++;
    }
    return filled;
}
