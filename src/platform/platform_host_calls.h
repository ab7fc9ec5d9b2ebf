// platform_host_calls.h - the seam to the host's other modules and to host
// functions the module calls by address: finding a module the host has
// already loaded and one of its exports, and calling the host's aircraft
// container (a getter and member functions reached through C++ function
// tables). Two implementations: platform/win32/host_calls_win32.cpp (the real
// loader and real calls) and platform/sim/host_calls_sim.cpp (the substitute
// host answers the call targets it planted).
//
// Calling conventions. The host is a 32-bit program built with the Microsoft
// compiler, so on i386 each kind of call must match what that compiler
// emits, or the host's stack or its object pointer is wrong:
//
//   - PlatHostCallContainerGetter: a plain function without arguments. Plain
//     functions of that compiler are __cdecl unless declared otherwise; with
//     no arguments __cdecl and __stdcall coincide (nothing on the stack to
//     clean up), so either reading of the host is safe. Result in EAX.
//   - PlatHostCallContainerCount, PlatHostCallContainerGet and
//     PlatHostCallSimulationRecord: functions found in the function table of
//     a C++ object. They are member functions, which that compiler builds
//     with its member-call convention (__thiscall): the object in ECX, the
//     other arguments on the stack right to left, the callee removing them
//     (get's index: `ret 4`). Called as __cdecl they would read a stray ECX
//     as their object and leave the stack 4 bytes off after get. GCC on
//     i386 emits the same convention for a function type with
//     __attribute__((thiscall)), which the win32 implementation uses.
//
// How the choice is checked: the 64-bit build has one convention only
// (object in RCX as the first argument), so the wine64 tests cannot tell a
// wrong 32-bit convention. The test dll.thiscall compiles the win32
// implementation for i686 and checks that each member call puts the object
// into ECX and pushes nothing else for it. Under 32-bit wine the test host
// gives the module a container DLL of its own (tools/fs9host/acontain/)
// whose member functions are __thiscall and check the object they find in
// ECX, so the traffic scenarios on both hosts exercise the calls for real
// and a wrong convention ends the run (test dll.thiscall_container holds
// that DLL to the convention).
//
// Every result is a 32-bit host value; a real address that does not fit in
// 32 bits (possible only in the 64-bit build) reads as 0, not found.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// [SECTION] Modules already in the process

// Load address of the module of that file name if the host has already
// loaded it (GetModuleHandleA: case-insensitive, never loads); 0 otherwise.
HostAddr PlatHostFindLoadedModule(const char* fileName);
// Address of the module's export of that exact name (GetProcAddress);
// 0 when the module or the export is missing.
HostAddr PlatHostFindExport(HostAddr module, const char* exportName);

// [SECTION] Calls into the host's aircraft container

// fn() -> the container object. Plain function, no arguments.
HostAddr PlatHostCallContainerGetter(HostAddr fn);
// container->count(): member call, the container as the object.
std::int32_t PlatHostCallContainerCount(HostAddr fn, HostAddr container);
// container->get(index) -> an aircraft object: member call.
HostAddr PlatHostCallContainerGet(HostAddr fn, HostAddr container, std::int32_t index);
// object->entry 4() -> the aircraft's simulation record: member call.
HostAddr PlatHostCallSimulationRecord(HostAddr fn, HostAddr object);
