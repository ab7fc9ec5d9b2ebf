// win_traffic.h - the simulator's other DLLs in fs9host, and its AI traffic:
// acontain.dll (tools/fs9host/acontain/) loaded before the module, the
// aircraft handed to it, the module's lookups of it counted.
#pragma once

#include <windows.h>

#include <string>

struct ScenarioTable;

// Load the host DLLs from the host's folder, as the simulator has them
// loaded before any module; false (after saying why on stderr) when one is
// missing or out of the module's reach.
bool LoadHostDlls(const std::string& folder);
// The "ai" commands' host (tools/scenario/traffic_driver.h).
void InstallWinTraffic();
// acontain-misuse count|get|record (fs9host only): a call into the
// container the way a module with the wrong calling convention makes it.
ScenarioTable WineTrafficCommands();

// The module's GetModuleHandleA and GetProcAddress (win_process.cpp points
// its imports here): the real ones, with the lookups of the container's
// module and of its exports counted.
HMODULE WINAPI HostGetModuleHandleA(LPCSTR name);
FARPROC WINAPI HostGetProcAddress(HMODULE module, LPCSTR name);
