// win_traffic.cpp - the simulator's other DLLs in fs9host and its AI
// traffic. The aircraft are kept in natural units here, fly as the
// substitute host's do (hostsim/ai_traffic.cpp) and are handed whole to
// acontain.dll after every change; the module finds the DLL already loaded
// and calls into it as into the simulator's own container.
#include "win_traffic.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "acontain/acontain.h"
#include "hostsim/ai_traffic.h"
#include "hostsim/host_process.h"
#include "scenario.h"
#include "traffic_driver.h"
#include "win_process.h"

namespace {

// [SECTION] The host DLLs

// Loaded in this order before the module, from the host's folder.
const char* const kHostDlls[] = {"acontain.dll"};

HMODULE g_acontain;
AcontainPublishFn g_publish;
AcontainCapacityFn g_capacity;
AcontainGetCallsFn g_getCalls;
long g_moduleLookups, g_exportLookups;

// [SECTION] The traffic

std::vector<hostsim::AiAircraft> g_aircraft;
hostsim::ContainerState g_state = hostsim::kContainerNormal;

bool PublishNow() {
    if (!g_publish) return true;
    std::vector<AcontainAircraft> handed;
    handed.reserve(g_aircraft.size());
    for (const hostsim::AiAircraft& a : g_aircraft) {
        AcontainAircraft h{a.name.c_str(), {}, a.hiddenWord, int(a.broken)};
        hostsim::AiDataPosition(a, h.position);
        handed.push_back(h);
    }
    return g_publish(handed.data(), int(handed.size()), int(g_state)) != 0;
}

void Publish() {
    if (!PublishNow()) {
        std::fprintf(stderr, "fs9host: acontain.dll cannot lay out the container below 4 GiB\n");
        ExitProcess(2);
    }
}

class WinTrafficDriver final : public TrafficDriver {
public:
    std::vector<hostsim::AiAircraft>& Aircraft() override { return g_aircraft; }
    int Capacity() override { return g_capacity ? g_capacity() : 0; }
    // A DLL that is loaded has its Linkage export: the module binds once and
    // never looks again, so unloading it under the module would only crash.
    bool SetContainerState(hostsim::ContainerState state) override {
        if (state == hostsim::kContainerUnloaded || state == hostsim::kContainerNoLinkage) return false;
        g_state = state;
        return true;
    }
    void Publish() override { ::Publish(); }
    hostsim::TrafficCalls Calls() override {
        AcontainCalls c{};
        if (g_getCalls) g_getCalls(&c);
        return hostsim::TrafficCalls{g_moduleLookups, g_exportLookups, c.getter, c.count, c.get, c.record, 0};
    }
};

template <typename Fn>
Fn Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

}  // namespace

bool LoadHostDlls(const std::string& folder) {
    for (const char* name : kHostDlls) {
        std::string path = folder + "\\" + name;
        HMODULE dll = LoadLibraryA(path.c_str());
        if (!dll) {
            std::fprintf(stderr, "fs9host: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
            return false;
        }
        if (std::strcmp(name, "acontain.dll") == 0) g_acontain = dll;
    }
    auto setChecks = Export<AcontainSetChecksFn>(g_acontain, "AcontainSetChecks");
    g_publish = Export<AcontainPublishFn>(g_acontain, "AcontainPublish");
    g_capacity = Export<AcontainCapacityFn>(g_acontain, "AcontainCapacity");
    g_getCalls = Export<AcontainGetCallsFn>(g_acontain, "AcontainGetCalls");
    if (!setChecks || !g_publish || !g_capacity || !g_getCalls || !GetProcAddress(g_acontain, "Linkage")) {
        std::fprintf(stderr, "fs9host: acontain.dll lacks its exports\n");
        return false;
    }
    setChecks(ReportHostCallFailure, CheckModuleCaller);
    if (!PublishNow()) {
        std::fprintf(stderr, "fs9host: acontain.dll lies above 4 GiB, out of the module's reach\n");
        return false;
    }
    return true;
}

void InstallWinTraffic() {
    static WinTrafficDriver driver;
    SetAiTrafficHost(&driver);
}

// [SECTION] What only fs9host keeps beside the shared records: the traffic
// (no 3D scenery: the walker finds an empty object list)

namespace hostsim {

void BuildHostOwnRecords() {
    ::Publish();
}

void FlyHostOwnRecords(double dt) {
    bool moved = false;
    for (AiAircraft& a : g_aircraft) moved = FlyAi(&a, dt) || moved;
    if (moved) ::Publish();
}

void ResetHostOwnRecords() {
    g_aircraft.clear();
    g_state = kContainerNormal;
    ::Publish();
}

}  // namespace hostsim

// [SECTION] The module's lookups

HMODULE WINAPI HostGetModuleHandleA(LPCSTR name) {
    if (name && lstrcmpiA(name, "acontain.dll") == 0) g_moduleLookups++;
    return GetModuleHandleA(name);
}

FARPROC WINAPI HostGetProcAddress(HMODULE module, LPCSTR name) {
    if (module && module == g_acontain) g_exportLookups++;
    return GetProcAddress(module, name);
}

// [SECTION] acontain-misuse

namespace {

#if defined(__i386__)
#define HOST_MEMBER_CALL __attribute__((thiscall))
#else
#define HOST_MEMBER_CALL
#endif

using CountFn = int(HOST_MEMBER_CALL*)(void* object);
using GetFn = void*(HOST_MEMBER_CALL*)(void* object, int index);

std::uint32_t WordAt(const void* at) {
    std::uint32_t w = 0;
    std::memcpy(&w, at, 4);
    return w;
}

template <typename Fn>
Fn Entry(const void* object, std::uint32_t offset) {
    std::uint32_t table = WordAt(object);
    return table ? reinterpret_cast<Fn>(std::uintptr_t(WordAt(reinterpret_cast<const void*>(
                       std::uintptr_t(table) + offset))))
                 : nullptr;
}

// A caller that pushes the object where the container expects it in ECX
// hands count and entry 4 whatever ECX held, and get its own object as the
// index: each is made here on purpose, on the objects the module would
// reach. The container's check reports it and fs9host ends with exit code
// 3, so nothing after the call runs.
bool Misuse(Scenario& s, const Args& a) {
    auto objectAt = Export<AcontainObjectFn>(g_acontain, "AcontainObject");
    void* container = objectAt ? objectAt(-1) : nullptr;
    void* aircraft = objectAt ? objectAt(0) : nullptr;
    void* stray = reinterpret_cast<void*>(GetProcAddress(g_acontain, "Linkage"));
    std::fflush(stdout);
    if (a[0] == "count" && container && Entry<CountFn>(container, 4)) {
        Entry<CountFn>(container, 4)(stray);
    } else if (a[0] == "get" && container && Entry<GetFn>(container, 8)) {
        Entry<GetFn>(container, 8)(container, int(std::uint32_t(reinterpret_cast<std::uintptr_t>(container))));
    } else if (a[0] == "record" && aircraft && Entry<CountFn>(aircraft, 0x10)) {
        Entry<CountFn>(aircraft, 0x10)(container);
    } else {
        return ScenarioError(s, "acontain-misuse count|get|record (record needs an aircraft; the tables must be there)");
    }
    Emit(s, "acontain-misuse %s not caught", a[0].c_str());
    return true;
}

const ScenarioCommand kWineTrafficCommands[] = {
    {"acontain-misuse", 1, 1, Misuse, "acontain-misuse count|get|record"},
};

}  // namespace

ScenarioTable WineTrafficCommands() {
    return {kWineTrafficCommands, int(sizeof kWineTrafficCommands / sizeof kWineTrafficCommands[0])};
}
