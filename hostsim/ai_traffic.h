// ai_traffic.h - the simulator's AI traffic in natural units, as both hosts
// keep it: the aircraft in their container's order, the ways a scenario can
// break them or the container, the count of the module's calls into it, and
// how an aircraft flies. The substitute host lays the container out in its
// simulated memory (sim_traffic.cpp), fs9host in its acontain.dll
// (tools/fs9host/win_traffic.cpp); one flight, so both print alike.
#pragma once

#include <cstdint>
#include <string>

namespace hostsim {

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

// Fly one aircraft for dt seconds: straight along its heading at its speed,
// climbing at its rate, never below sea level. False when it stands still
// (no speed, no climb) and nothing moved.
bool FlyAi(AiAircraft* a, double dt);
// The position as the aircraft data holds it: latitude and longitude in
// radians, altitude in feet.
void AiDataPosition(const AiAircraft& a, double position[3]);

}  // namespace hostsim
