// fs9host - a Windows host for the real module DLL. It lays out its folder
// like the simulator's (fs9host.exe beside Modules\Skyvane2004.dll), holds
// the simulator's records at their real addresses with the same aircraft as
// the substitute host (hostsim/host_process.cpp), loads the simulator's AI
// aircraft container (its own acontain.dll, beside it) before the module,
// makes a main window of class FS98MAIN with a menu bar and a window of
// class FS98CHILD, and runs a scenario script (docs/scenarios.md) against
// the module, printing what happened. Under wine (64-bit build and the
// shipped 32-bit build) it is the end-to-end test of the module's real
// Windows side.
//
//   fs9host.exe SCRIPT.scn|-        (- reads the script from standard input)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "hostsim/host_process.h"
#include "dialog_driver.h"
#include "scenario.h"
#include "screenshot.h"
#include "win_dialogs.h"
#include "win_driver.h"
#include "win_process.h"
#include "win_traffic.h"
#include "traffic_driver.h"

ScenarioTable RealTimeCommands();


static std::string HostFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    std::size_t cut = folder.rfind('\\');
    return cut == std::string::npos ? "." : folder.substr(0, cut);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fs9host SCRIPT.scn|-\n");
        return 2;
    }
    // The output is compared byte for byte with the substitute host's.
    _setmode(_fileno(stdout), _O_BINARY);

    InstallFaultReport();

    // The simulator's records first, before anything else takes the
    // addresses they need.
    if (!ReserveProcessBlock()) {
        std::fprintf(stderr, "fs9host: no free block below 2 GiB for the simulator's records\n");
        return 2;
    }
    hostsim::ResetProcess();
    hostsim::BuildRecords();
    if (std::uintptr_t at = FailedHostAddress()) {
        MEMORY_BASIC_INFORMATION info = {};
        VirtualQuery(reinterpret_cast<void*>(at), &info, sizeof info);
        std::fprintf(stderr,
                     "fs9host: cannot commit the simulator's memory at 0x%08lX (in use: region 0x%08lX size 0x%lX"
                     " state 0x%lX type 0x%lX)\n",
                     (unsigned long)at, (unsigned long)(std::uintptr_t)info.AllocationBase,
                     (unsigned long)info.RegionSize, (unsigned long)info.State, (unsigned long)info.Type);
        return 2;
    }
    // The simulator's other DLLs are in the process before any module.
    if (!LoadHostDlls(HostFolder())) return 2;
    WinDriver driver;
    if (!driver.Open(HostFolder())) {
        std::fprintf(stderr, "fs9host: cannot create the host windows\n");
        return 2;
    }
    // Every run starts from an empty registry key, like a first start.
    driver.DeleteRegistryKey();
    SetHost(&driver);
    InstallWinDialogs();
    InstallWinTraffic();
    ScenarioLanguage language{{HostScenarioCommands(), ProcessScenarioCommands(), UserInputCommands(),
                               ScreenshotCommands(), DialogScenarioCommands(), WineDialogCommands(),
                               AiTrafficCommands(), WineTrafficCommands(), RealTimeCommands()},
                              {HostPrintCommands(), ProcessPrintCommands(), DialogPrintCommands(),
                               AiTrafficPrintCommands()}};
    int rc = RunScenario(argv[1], stdout, language);
    driver.Close();
    return rc;
}
