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

// Ways to break one aircraft's links, as a scenario asks for them.
enum AiBreak {
    kAiWhole,         // nothing broken
    kAiNullObject,    // the container's slot holds 0
    kAiNullTable,     // the object's function table pointer is 0
    kAiNullEntry,     // table entry 4 is 0
    kAiNullRecord,    // entry 4 returns 0
    kAiNullData,      // the simulation record's data pointer is 0
};

// One AI aircraft in natural units.
struct AiAircraft {
    std::string name;             // as the host holds it (any length)
    double latitude, longitude;   // degrees
    double altitude;              // feet
    double speed;                 // knots, along the heading
    double heading;               // degrees true
    double climb;                 // feet per minute, positive up
    std::uint32_t hiddenWord;     // the data's word at 0x40; non-zero: not listed
    AiBreak broken;
};

// Ways to break the container itself.
enum ContainerState {
    kContainerNormal,
    kContainerUnloaded,    // acontain.dll is not loaded
    kContainerNoLinkage,   // loaded, without the Linkage export
    kContainerNullGetter,  // Linkage's container function is 0
    kContainerNull,        // the container function returns 0
    kContainerNullTable,   // the container's function table pointer is 0
};

// How often the module reached each piece: the binding is made once.
struct TrafficCalls {
    long moduleLookups, exportLookups;
    long getterCalls, countCalls, getCalls, recordCalls;
    long strayCalls;  // a call to an address the host never handed out
    long unreadableCalls;  // a call to an address that cannot be read: a fault on a real host
};

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
// Fly every AI aircraft for dt seconds (straight, climbing at its rate;
// it stops descending at sea level).
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
