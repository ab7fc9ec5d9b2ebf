// sim_traffic.h - the substitute host's loaded modules beyond its own
// records, and its AI traffic: the module "acontain.dll" with its `Linkage`
// export, and a container of AI aircraft laid out in the simulated 32-bit
// address space as the simulator lays out its own (container and aircraft
// objects with function tables, simulation records, aircraft data). The
// functions the module calls are fake host addresses that the platform seam
// answers here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/ai_traffic.h"
#include "platform/platform.h"

namespace hostsim {

// Where the traffic lives in the simulated address space.
inline constexpr HostAddr kSimAcontainBase = 0x05000000;      // acontain.dll's load address
inline constexpr HostAddr kSimAcontainLinkage = 0x05002000;   // its exported Linkage record
inline constexpr HostAddr kSimContainer = 0x05100000;         // the container object
inline constexpr HostAddr kSimContainerSlots = 0x05110000;    // its array of aircraft objects
inline constexpr HostAddr kSimAiObjects = 0x05200000;         // 0x40 per aircraft: object, its table
inline constexpr HostAddr kSimAiRecords = 0x05300000;         // 0x40 per aircraft: simulation record
inline constexpr HostAddr kSimAiData = 0x06000000;            // 0x2000 per aircraft: aircraft data
inline constexpr int kSimAiCapacity = 1024;

// Call targets: the seam answers them. Their page is committed, as the
// code of a real acontain.dll can be read.
inline constexpr HostAddr kSimContainerGetterFn = 0x7FFE1000;
inline constexpr HostAddr kSimContainerCountFn = 0x7FFE1004;
inline constexpr HostAddr kSimContainerGetFn = 0x7FFE1008;
inline constexpr HostAddr kSimSimulationRecordFn = 0x7FFE1010;

struct TrafficHost {
    ContainerState state;
    std::vector<AiAircraft> aircraft;  // container order
    TrafficCalls calls;
};

TrafficHost& Traffic();
// No aircraft, container normal, counts zero; the records laid out.
void ResetTraffic();
// Write the container and every aircraft into the simulated memory; run
// after every change of the aircraft or the container state.
void PublishTraffic();
// Fly every AI aircraft for dt seconds (FlyAi).
void FlyTraffic(double dt);
// The aircraft by name; null when none.
AiAircraft* FindAi(const std::string& name);

// The loader's table of modules in the process (GetModuleHandleA,
// GetProcAddress).
HostAddr LoadedModule(const char* fileName);
HostAddr ModuleExport(HostAddr module, const char* exportName);

// What the container's functions do when the module calls them.
HostAddr CallContainerGetter(HostAddr fn);
std::int32_t CallContainerCount(HostAddr fn, HostAddr container);
HostAddr CallContainerGet(HostAddr fn, HostAddr container, std::int32_t index);
HostAddr CallSimulationRecord(HostAddr fn, HostAddr object);

}  // namespace hostsim
