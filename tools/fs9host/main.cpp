// fs9host - a Windows host for the real module DLL. It lays out its folder
// like the simulator's (fs9host.exe beside Modules\Skyvane2004.dll), makes a
// main window of class FS98MAIN with a menu bar and a window of class
// FS98CHILD, and runs a scenario script (docs/scenarios.md) against the
// module, printing what happened. Under wine64 it is the end-to-end test of
// the module's real Windows side.
//
//   fs9host.exe SCRIPT.scn|-        (- reads the script from standard input)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "dialog_driver.h"
#include "scenario.h"
#include "screenshot.h"
#include "win_dialogs.h"
#include "win_driver.h"

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

    WinDriver driver;
    if (!driver.Open(HostFolder())) {
        std::fprintf(stderr, "fs9host: cannot create the host windows\n");
        return 2;
    }
    if (!driver.hostRecords()) {
        std::fprintf(stderr, "fs9host: cannot commit the host record page at 0x47D000\n");
        return 2;
    }
    // Every run starts from an empty registry key, like a first start.
    driver.DeleteRegistryKey();
    SetHost(&driver);
    InstallWinDialogs();
    ScenarioLanguage language{
        {HostScenarioCommands(), ScreenshotCommands(), DialogScenarioCommands(), WineDialogCommands()},
        {HostPrintCommands(), DialogPrintCommands()}};
    int rc = RunScenario(argv[1], stdout, language);
    driver.Close();
    return rc;
}
