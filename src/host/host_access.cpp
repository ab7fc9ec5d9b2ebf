// host_access.cpp - module walk, active view, frame clock, host calls and
// conversions into the host's integers.
#include "host/host_access.h"

#include <cmath>

#include "pilotview/pilot_view.h"
#include "pilotview/walker_view.h"
#include "shell/module_exports.h"

// [SECTION] Conversions

// The low bits of trunc(value) as a 64-bit pattern, of which the callers keep
// the low 32 or 16; modulus is 2^32 or 2^16.
static std::uint64_t LowBits(double value, double modulus) {
    // NaN fails both tests and goes on below.
    if (value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
        return std::uint64_t(std::int64_t(value));
    }
    if (!std::isfinite(value)) return 0;
    // Beyond 64 bits every double is a whole number, and fmod by a power of
    // two is exact and keeps the sign: the remainder has the same low bits.
    return std::uint64_t(std::int64_t(std::fmod(value, modulus)));
}

std::uint32_t HostLow32(double value) {
    return std::uint32_t(LowBits(value, 4294967296.0));
}

std::uint16_t HostLow16(double value) {
    return std::uint16_t(LowBits(value, 65536.0));
}

std::uint32_t HostAngle32(double degrees) {
    return HostLow32(degrees / 360.0 * 4294967295.0);
}

void HostSplit32(double x, std::int32_t* integer, std::uint32_t* fraction) {
    double whole = std::trunc(x);
    *integer = std::int32_t(HostLow32(whole));
    double magnitude = std::fabs(x);
    *fraction = HostLow32((magnitude - std::trunc(magnitude)) * 4294967295.0);
}

HostPosition32 ToHostPosition32(double latitudeDeg, double longitudeDeg, double altitudeMetres) {
    HostPosition32 p{};
    HostSplit32(latitudeDeg * 111130.52399516014, &p.latInteger, &p.latFraction);
    HostSplit32(longitudeDeg * 11930464.711111, &p.lonInteger, &p.lonFraction);
    HostSplit32(altitudeMetres, &p.altInteger, &p.altFraction);
    return p;
}

// [SECTION] Host calls

static HostAddr InterfaceEntry(std::uint32_t offset) {
    HostAddr table = ImportTable.interfaceTable;  // read afresh: the host owns the slot
    return table ? HostRead32(table + offset) : 0;
}

void ReadHostVariable(HostVariableRequest* request) {
    if (HostAddr fn = InterfaceEntry(kInterfaceReadVariable)) PlatHostReadVariable(fn, request);
}

void SendHostEvent(std::uint32_t eventId, std::uint32_t parameter) {
    if (HostAddr fn = InterfaceEntry(kInterfaceSendEvent)) PlatHostSendEvent(fn, eventId, parameter);
}

double ReadHostVariableValue(HostVariableRequest* request, std::uint32_t id) {
    request->id = id;
    ReadHostVariable(request);
    // A NaN or an infinity would stay in the pilot view's state for the rest
    // of the session (head angles, latency offsets); it counts as 0.
    return std::isfinite(request->value) ? request->value : 0.0;
}

// [SECTION] Module walk

// Whole-name, case-insensitive comparison with a name in host memory, read
// byte by byte so that a name at the end of readable memory cannot fault.
static bool HostNameIs(HostAddr name, const char* wanted) {
    for (int i = 0;; i++) {
        if (!PlatHostReadable(name + HostAddr(i), 1)) return false;
        char c = 0;
        PlatHostRead(name + HostAddr(i), &c, 1);
        char w = wanted[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c != w) return false;
        if (w == 0) return true;
    }
}

static void TakeModule(HostgateContext* g, HostAddr entry) {
    HostAddr name = HostRead32(entry + 4);
    HostAddr base = HostRead32(entry + 12);
    if (g->g3dBase == 0 && HostNameIs(name, "G3D.DLL")) {
        g->g3dBase = base;
        g->objectList = base + kG3dObjectList;
        g->projectionMatrix = base + kG3dProjectionMatrix;
    } else if (g->globalBase == 0 && HostNameIs(name, "GLOBAL.DLL")) {
        g->globalBase = base;
        g->globalData = base + kGlobalDataArea;
        g->eyePositionRecord = base + kGlobalEyePosition;
        g->eyeAttitudeRecord = base + kGlobalEyeAttitude;
    }
}

int LocateHostModules(HostgateContext* g) {
    g->viewManager = HostRead32(kHostViewManager);
    g->viewLayoutKind = kHostViewLayoutKind;
    g->moduleListHead = HostRead32(kHostModuleListHead);
    if (!PlatHostReadable(g->moduleListHead, 20)) {
        g->moduleListHead = 0;
        return 0;
    }
    HostAddr entry = g->moduleListHead;
    for (int n = 0; n < kHostWalkLimit && entry != 0 && PlatHostReadable(entry, 20); n++) {
        TakeModule(g, entry);
        entry = HostRead32(entry);
    }
    return 1;
}

// [SECTION] Active view

struct ViewList {
    std::uint32_t array;  // offset of the array pointer in the view manager
    std::uint32_t count;  // offset of the count
};

HostAddr FindActiveHostView(HostgateContext* g) {
    if (g->viewManager == 0) return 0;
    ViewList list;
    switch (std::int32_t(HostRead32(g->viewLayoutKind))) {
    case 3: list = {0x20, 0x28}; break;
    case 4: list = {0x30, 0x38}; break;
    case 5: list = {0x40, 0x48}; break;
    default: return 0;
    }
    HostAddr array = HostRead32(g->viewManager + list.array);
    std::int32_t count = std::int32_t(HostRead32(g->viewManager + list.count));
    for (std::int32_t i = 0; i < count && i < kHostWalkLimit; i++) {
        HostAddr element = HostRead32(array + HostAddr(4 * i));
        HostAddr view = HostRead32(element + 0x18);
        std::int32_t type = std::int32_t(HostRead32(view + kViewType));
        if ((type >= 1 && type <= 4) || type == kViewTypeWalker) return view;
    }
    return 0;
}

// [SECTION] Frame

int SyncHostFrame(HostgateContext* g) {
    LocateHostModules(g);
    double now = double(std::uint64_t(PlatClockMs())) / 1000.0;
    g->frameDelta = now - g->lastFrameTime;
    g->lastFrameTime = now;
    g->viewTouched = 0;
    UpdatePilotView(g, 1);
    UpdateWalkerView(g);
    return 1;
}
