// win_process.h - fs9host's side of the simulator's process: real memory at
// the simulator's addresses, the interface table's functions with the
// simulator's calling convention and their checks of the caller, and the
// few system functions the module imports that fs9host answers itself.
#pragma once

#include <windows.h>

#include <cstdint>

// [SECTION] Memory (hostsim/host_process.h's address space, in real memory)

// The first address the process could not commit or reserve, 0 when all
// went well; fs9host stops when it is set.
std::uintptr_t FailedHostAddress();
// Reserve the block for the records that are not at fixed addresses
// (hostsim::Layout()); false when no block below 2 GiB is free.
bool ReserveProcessBlock();

// [SECTION] The module's image, for the checks of its calls

// The loaded module (null after it is unloaded); its image bounds every
// return address a host function may see.
void SetModuleImage(HMODULE module);
// The interface table's address as the host hands it to the module.
std::uint32_t InterfaceTableAddress();

// The checks the interface functions make, for the host DLLs' functions
// too: report a failed check and end the process with exit code 3; check
// that a return address lies in the module's code.
[[noreturn]] void ReportHostCallFailure(const char* function, const char* what, const void* at);
void CheckModuleCaller(const char* function, const void* returnAddress);

// [SECTION] System functions fs9host answers for the module

// The module's millisecond clock (timeGetTime): a clock of fs9host's that
// only "wait" and "frame" advance, as in the substitute host.
std::uint32_t& HostClockMs();
// Point the module's imports of timeGetTime, GetCursorPos and rand at
// fs9host's own; the number of imports replaced.
int InterposeModuleImports(HMODULE module);

// [SECTION] Faults

// Report an unhandled fault inside the host or the module and end the
// process with exit code 3, so a test fails at once and says why.
void InstallFaultReport();
