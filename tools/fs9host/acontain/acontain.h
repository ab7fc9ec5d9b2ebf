// acontain.h - acontain.dll, the simulator's AI aircraft container as
// fs9host holds it, and the exports that only the test host uses.
//
// What the module sees (the simulator's layout; the module finds the DLL
// already loaded and never loads it):
//   export Linkage: a record whose word at byte 0x4C is a function without
//     arguments returning the container object;
//   container: word 0 its function table; entry 1 (byte 4) count(), entry 2
//     (byte 8) get(index);
//   aircraft object: word 0 its function table; entry 4 (byte 0x10) returns
//     its simulation record, whose word at byte 0x28 is the aircraft data;
//   aircraft data: word 0x40 zero while listed; latitude and longitude
//     (radians) and altitude (feet), three doubles from byte 0x192; the name,
//     zero-terminated, at byte 0x165F.
// Every word is a 32-bit address: the DLL is linked at a fixed base below
// 4 GiB and holds everything in its own static storage.
//
// count, get and entry 4 are member functions with the simulator's member-
// call convention: on i386 the object in ECX, the callee removing its stack
// arguments (GCC's thiscall); on x86-64 the one convention, the object first.
// Each checks that it was given its own object and that the module called
// it; a failed check goes to fs9host, which reports it and exits with 3.
#pragma once

#include <cstdint>

// One aircraft as fs9host hands it over.
struct AcontainAircraft {
    const char* name;          // any length; cut to what the data holds
    double position[3];        // as the data holds it: radians, radians, feet
    std::uint32_t hiddenWord;  // the data's word at 0x40
    int broken;                // hostsim::AiBreak: which link is 0
};

// The container as fs9host asks for it (hostsim::ContainerState's values
// that a loaded DLL can show).
enum AcontainState {
    kAcontainNormal = 0,
    kAcontainNullGetter = 3,  // Linkage's word at 0x4C is 0
    kAcontainNull = 4,        // the getter returns 0
    kAcontainNullTable = 5,   // the container's word 0 is 0
};

// The module's calls so far.
struct AcontainCalls {
    long getter, count, get, record;
};

// fs9host's checks: fail reports and ends the process; caller checks that a
// return address lies in the module's code.
using AcontainFailFn = void (*)(const char* function, const char* what, const void* at);
using AcontainCallerFn = void (*)(const char* function, const void* returnAddress);

// The test host's exports (C names, the default convention of each bitness).
using AcontainSetChecksFn = void (*)(AcontainFailFn fail, AcontainCallerFn caller);
using AcontainPublishFn = int (*)(const AcontainAircraft* aircraft, int count, int state);
using AcontainCapacityFn = int (*)();
using AcontainGetCallsFn = void (*)(AcontainCalls* calls);
// The container (index -1) or aircraft object `index` as the module would
// reach them, for fs9host's test of the checks; null when there is none.
using AcontainObjectFn = void* (*)(int index);
