// traffic_list_fuzz.cpp - the traffic list's walk over hostile host memory,
// and the traffic view and padlock over what it lists: the substitute
// host's container is laid out normally, then the input overwrites any of
// its bytes (pointers, function table entries, hidden words, positions,
// names) and takes pages away; the user aircraft, the settings and the
// eye come from the input too (NaN, infinities, huge values).
//
// Input: [aircraft count][container state][capacity lo, hi]
//        [8 doubles: lat lon alt heading pitch bank ground height]
//        [int32 MaxTracks][double MaxTrackDistance][int32 TrafficIndex]
//        [flags: lock, lock name taken, tower, padlock][3 doubles: eye]
//        then operations to the end:
//          op < 0x80: write `len` bytes at region (op % 7) + offset
//                     [op][offset lo, hi][len][bytes...]
//          op >= 0x80: take away one page of region (op % 7)  [op][page]
// Checks: the count stays within the capacity, every listed name ends
// inside its field, the index stays inside the list, the head angles are
// either untouched or finite, and no host function is called at an address
// that cannot be read.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "camera/camera_tick.h"
#include "camera/lookat_view.h"
#include "camera/traffic_view.h"
#include "host/hostgate.h"
#include "host/traffic_list.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_traffic.h"
#include "shell/main_state.h"

namespace {

struct Region {
    HostAddr base;
    std::uint32_t size;
};

constexpr int kMaxAircraft = 16;
const Region kRegions[7] = {
    {hostsim::kSimAcontainLinkage, 0x100},
    {hostsim::kSimContainer, 0x100},
    {hostsim::kSimContainerSlots, 0x100},
    {hostsim::kSimAiObjects, kMaxAircraft * 0x40},
    {hostsim::kSimAiRecords, kMaxAircraft * 0x40},
    {hostsim::kSimAiData, kMaxAircraft * 0x2000},
    {hostsim::kSimAcontainBase, 0x3000},
};

struct Reader {
    const std::uint8_t* at;
    const std::uint8_t* end;
    bool Take(void* out, std::size_t n) {
        if (std::size_t(end - at) < n) return false;
        std::memcpy(out, at, n);
        at += n;
        return true;
    }
    std::uint8_t Byte() {
        std::uint8_t b = 0;
        Take(&b, 1);
        return b;
    }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// Every page of the regions gone, then the container laid out afresh.
void FreshContainer(int aircraft, int state) {
    for (const Region& r : kRegions) hostsim::Decommit(r.base, r.size);
    hostsim::TrafficHost& t = hostsim::Traffic();
    t = hostsim::TrafficHost{};
    t.state = hostsim::ContainerState(state % 6);
    for (int i = 0; i < aircraft; i++) {
        t.aircraft.push_back(hostsim::AiAircraft{"AI", 47.0 + 0.01 * i, 8.0, 3000.0, 0, 0, 0, 0, hostsim::kAiWhole});
    }
    hostsim::PublishTraffic();
    ResetTrafficList();
}

void ApplyOperations(Reader* in) {
    while (in->at < in->end) {
        std::uint8_t op = in->Byte();
        const Region& r = kRegions[op % 7];
        if (op < 0x80) {
            std::uint16_t offset = 0;
            in->Take(&offset, 2);
            std::uint8_t bytes[64];
            std::size_t n = in->Byte() % sizeof bytes;
            if (!in->Take(bytes, n)) n = 0;
            hostsim::Write(r.base + offset % r.size, bytes, std::uint32_t(n));
        } else {
            hostsim::Decommit(r.base + (in->Byte() * 0x1000u) % r.size, 1);
        }
    }
}

void SetModule(Reader* in) {
    double a[8] = {};
    in->Take(a, sizeof a);
    g_aircraft.position = {a[0], a[1], a[2]};
    g_aircraft.heading = a[3], g_aircraft.pitch = a[4], g_aircraft.bank = a[5];
    g_aircraft.groundElevation = a[6], g_aircraft.heightAboveGround = a[7];
    std::int32_t maxTracks = 50, index = 0;
    double maxDistance = 15.0;
    in->Take(&maxTracks, 4);
    in->Take(&maxDistance, 8);
    in->Take(&index, 4);
    std::uint8_t flags = in->Byte();
    double eye[3] = {};
    in->Take(eye, sizeof eye);
    g_main.MaxTracks = maxTracks, g_main.MaxTrackDistance = maxDistance, g_main.TrafficIndex = index;
    g_main.TrafficViewActive = 1;
    g_main.TrafficLockActive = flags & 1;
    std::memset(g_main.TrafficLockId, 0, sizeof g_main.TrafficLockId);
    if (flags & 2) std::memcpy(g_main.TrafficLockId, "AI", 3);
    g_hostgate.TowerModeActive = (flags >> 2) & 1;
    g_main.LookAtViewActive = (flags >> 3) & 1;
    g_main.LookAtPoint = {a[1], a[0], a[6]};  // some point made of hostile values too
    g_hostgate.eyeX = eye[0], g_hostgate.eyeY = eye[1], g_hostgate.eyeZ = eye[2];
    g_hostgate.headPitch = g_hostgate.headHeading = g_hostgate.headBank = 0.0;
    g_hostgate.headTarget[0] = g_hostgate.headTarget[1] = g_hostgate.headTarget[2] = 0.0;
}

void CheckHead() {
    const HostgateContext& g = g_hostgate;
    Check(std::isfinite(g.headPitch) && std::isfinite(g.headHeading) && std::isfinite(g.headBank));
    Check(g.headTarget[0] == g.headPitch && g.headTarget[1] == g.headHeading);
}

TrafficRecord g_records[kTrafficCapacity];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool started = false;
    if (!started) {
        hostsim::ResetProcess();
        started = true;
    }
    Reader in{data, data + size};
    int aircraft = in.Byte() % (kMaxAircraft + 1);
    int state = in.Byte();
    std::uint16_t capacityWord = 0;
    in.Take(&capacityWord, 2);
    const int capacity = capacityWord % (kTrafficCapacity + 1);
    FreshContainer(aircraft, state);
    SetModule(&in);
    ApplyOperations(&in);

    Check(EnumerateTraffic(g_records, capacity) == 0);  // binds
    const int count = EnumerateTraffic(g_records, capacity);
    Check(count >= 0 && count <= capacity);
    for (int i = 0; i < count; i++) Check(std::memchr(g_records[i].name, 0, sizeof g_records[i].name) != nullptr);

    const int full = EnumerateTraffic(g_records, kTrafficCapacity);  // what the view will see
    UpdateTrafficView();
    Check(g_main.TrafficIndex >= 0 && (g_main.TrafficIndex == 0 || g_main.TrafficIndex < full));
    Check(std::memchr(g_main.TrafficLockId, 0, sizeof g_main.TrafficLockId) != nullptr);
    CheckHead();
    UpdateLookAtView();
    CheckHead();
    Check(hostsim::Traffic().calls.unreadableCalls == 0);  // a fault on a real host
    return 0;
}
