// object_probe_fuzz.cpp - hostile drawing blocks and model headers for the
// object surface probe. The input is laid into the substitute host's memory
// as the drawing blocks of a few objects (and, for one of them, as its model
// header); the probe then runs over them at a position taken from the input.
// Every trace must end within its bounds and every hit be a real distance.
//
// Input: byte 0 = number of objects (1..4) and flags, bytes 1..8 = the
// probe's latitude and longitude as floats, the rest split evenly into the
// objects' blocks. Flag 0x80: the first object's bytes are its model header
// instead (its block then follows them).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "pilotview/object_probe.h"

namespace {

bool Prepare() {
    hostsim::ResetProcess();
    hostsim::BuildRecords();
    return true;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
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
    HostgateContext g;
    std::memset(&g, 0, sizeof g);
    LocateHostModules(&g);
    ObjectProbe probe;
    InitObjectProbe(&probe, position[0], position[1], 0.0);
    Check(ProbeObjectSurface(&g, &probe) == 1);
    Check(probe.recordsVisited <= kProbeRecordLimit);
    Check(probe.trianglesTested <= kProbeTriangleLimit);
    Check(probe.objectsLooked <= objects);
    const double best = probe.bestDistance;
    Check(best == kProbeNoHit || (best >= 1e-10 && best < kProbeNoHit));
    // Each block alone, as its own trace.
    for (const hostsim::ObjectOutline& o : hostsim::Objects()) {
        InitObjectProbe(&probe, position[0], position[1], 0.0);
        TraceObjectBlock(&g, o.block, Vec3{0.0, 0.0, 0.0}, &probe);
        Check(probe.recordsVisited <= kTraceRecordLimit);
        Check(probe.trianglesTested <= kTraceTriangleLimit);
    }
    return 0;
}
