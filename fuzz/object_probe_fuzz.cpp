// object_probe_fuzz.cpp - hostile drawing blocks and model headers for the
// object surface probe. The input is laid into the substitute host's memory
// as the drawing blocks of a few objects (and, for one of them, as its model
// header); the probe then runs over them at a position taken from the input.
// Every trace must end within its bounds and every hit be a real distance,
// and the probe must agree with its earlier form
// (tests/unit/object_probe_earlier.h) to the bit: the same answer, the same
// work counts and the same cached pages, for the whole probe and for each
// block traced alone.
//
// Input: byte 0 = number of objects (1..4) and flags, bytes 1..8 = the
// probe's latitude and longitude as floats, the rest split evenly into the
// objects' blocks. Flag 0x80: the first object's bytes are its model header
// too. Flag 0x40: the probe stands beside the first reference point found in
// the first block, bytes 1..8 giving its distance from it (in thousandths of
// a degree), so that there are near spheres for the quick sphere test to
// settle.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "pilotview/object_probe.h"
#include "tests/unit/object_probe_earlier.h"

namespace {

bool Prepare() {
    hostsim::ResetProcess();
    hostsim::BuildRecords();
    return true;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckSame(int was, const ObjectProbe& a, int now, const ObjectProbe& b) {
    Check(was == now);
    Check(std::memcmp(&a.bestDistance, &b.bestDistance, sizeof a.bestDistance) == 0);
    Check(a.objectsLooked == b.objectsLooked && a.recordsVisited == b.recordsVisited);
    Check(a.trianglesTested == b.trianglesTested && a.tracesCut == b.tracesCut);
    Check(std::memcmp(a.readablePages, b.readablePages, sizeof a.readablePages) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool prepared = Prepare();
    (void)prepared;
    if (size < 9) return 0;
    hostsim::ClearObjects();
    const int objects = 1 + (data[0] & 3);
    float position[2];
    std::memcpy(position, data + 1, sizeof position);
    const std::uint8_t* rest = data + 9;
    const std::size_t share = (size - 9) / std::size_t(objects);
    for (int i = 0; i < objects; i++) {
        std::vector<std::uint8_t> bytes(rest + std::size_t(i) * share, rest + std::size_t(i + 1) * share);
        const HostAddr block = hostsim::AddRawBlock(bytes);
        if (i == 0 && (data[0] & 0x80) != 0 && block != 0) {
            // The same bytes over the model header: tag table and offsets from the input.
            const HostAddr model = block - hostsim::kSimModelHeaderSize;
            hostsim::Write(model, bytes.data(), std::uint32_t(std::min<std::size_t>(bytes.size(), 0x100)));
        }
    }
    double lat = position[0], lon = position[1];
    if ((data[0] & 0x40) != 0) {
        for (std::size_t at = 0; at + 14 <= share; at++) {
            if (rest[at] == 0x02 && rest[at + 1] == 0xF0) {
                float point[2];
                std::memcpy(point, rest + at + 2, sizeof point);
                lat = double(point[0]) + double(position[0]) * 1e-3;
                lon = double(point[1]) + double(position[1]) * 1e-3;
                break;
            }
        }
    }
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    ObjectProbe start;
    InitObjectProbe(&start, lat, lon, 0.0);
    ObjectProbe was = start, now = start;
    const int wasResult = earlier::ProbeObjectSurface(&g, &was);
    const int nowResult = ProbeObjectSurface(&g, &now);
    Check(nowResult == 1);
    Check(now.recordsVisited <= kProbeRecordLimit);
    Check(now.trianglesTested <= kProbeTriangleLimit);
    Check(now.objectsLooked <= objects);
    const double best = now.bestDistance;
    Check(best == kProbeNoHit || (best >= 1e-10 && best < kProbeNoHit));
    CheckSame(wasResult, was, nowResult, now);
    // Each block alone, as its own trace.
    for (const hostsim::ObjectOutline& o : hostsim::Objects()) {
        was = start;
        now = start;
        const int wasTrace = earlier::TraceObjectBlock(&g, o.block, Vec3{0.0, 0.0, 0.0}, &was);
        const int nowTrace = TraceObjectBlock(&g, o.block, Vec3{0.0, 0.0, 0.0}, &now);
        Check(now.recordsVisited <= kTraceRecordLimit);
        Check(now.trianglesTested <= kTraceTriangleLimit);
        CheckSame(wasTrace, was, nowTrace, now);
    }
    return 0;
}
