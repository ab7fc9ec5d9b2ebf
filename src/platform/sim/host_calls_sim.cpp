// host_calls_sim.cpp - the host-call seam on the substitute host: its
// loader table answers the module lookups, and the call targets it planted
// in its container answer the calls (any other address answers 0).
#include "hostsim/sim_traffic.h"
#include "platform/platform_host_calls.h"

HostAddr PlatHostFindLoadedModule(const char* fileName) {
    return hostsim::LoadedModule(fileName);
}

HostAddr PlatHostFindExport(HostAddr module, const char* exportName) {
    return hostsim::ModuleExport(module, exportName);
}

HostAddr PlatHostCallContainerGetter(HostAddr fn) {
    return hostsim::CallContainerGetter(fn);
}

std::int32_t PlatHostCallContainerCount(HostAddr fn, HostAddr container) {
    return hostsim::CallContainerCount(fn, container);
}

HostAddr PlatHostCallContainerGet(HostAddr fn, HostAddr container, std::int32_t index) {
    return hostsim::CallContainerGet(fn, container, index);
}

HostAddr PlatHostCallSimulationRecord(HostAddr fn, HostAddr object) {
    return hostsim::CallSimulationRecord(fn, object);
}
