// skyvane-sim - runs the module inside the substitute host from a scenario
// script and prints what it did. See docs/scenarios.md.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "dialog_driver.h"
#include "scenario.h"
#include "sim_driver.h"
#include "traffic_driver.h"

ScenarioTable ModuleScenarioCommands();
ScenarioTable ModulePrintCommands();
ScenarioTable CameraScenarioCommands();
ScenarioTable CameraPrintCommands();
ScenarioTable MapScenarioCommands();
ScenarioTable PilotScenarioCommands();
ScenarioTable PilotPrintCommands();
ScenarioTable CommandScenarioCommands();
ScenarioTable CommandPrintCommands();
ScenarioTable InputScenarioCommands();
ScenarioTable InputPrintCommands();
ScenarioTable JoystickScenarioCommands();
ScenarioTable JoystickPrintCommands();
ScenarioTable WalkerScenarioCommands();
ScenarioTable WalkerPrintCommands();
ScenarioTable TrafficScenarioCommands();
ScenarioTable TrafficPrintCommands();
ScenarioTable SoundScenarioCommands();
ScenarioTable SoundPrintCommands();
ScenarioTable SimDialogPrintCommands();
void InstallSimDialogs();
ScenarioTable ReliabilityScenarioCommands();
ScenarioTable HeadTrackScenarioCommands();
ScenarioTable HeadTrackPrintCommands();
void InstallSimTraffic();

static int Usage() {
    std::fprintf(stderr, "usage: skyvane-sim [--keep] SCRIPT.scn|-\n");
    return 2;
}

int main(int argc, char** argv) {
    bool keep = false;
    const char* script = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--keep") == 0) {
            keep = true;
        } else if (!script) {
            script = argv[i];
        } else {
            return Usage();
        }
    }
    if (!script) return Usage();

    // The simulated drives live in a fresh real folder.
    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/skyvane-sim-XXXXXX";
    if (!mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    hostsim::Reset(root);
    hostsim::CreateWindow("main", "FS98MAIN", 5);
    hostsim::CreateWindow("child", "FS98CHILD", 0);
    hostsim::ResetProcess();
    hostsim::BuildRecords();

    SimDriver driver;
    SetHost(&driver);
    InstallSimDialogs();
    InstallSimTraffic();
    ScenarioLanguage language{
        {HostScenarioCommands(), ProcessScenarioCommands(), UserInputCommands(), ModuleScenarioCommands(),
         CameraScenarioCommands(),
         MapScenarioCommands(), PilotScenarioCommands(), CommandScenarioCommands(),
         InputScenarioCommands(), JoystickScenarioCommands(), WalkerScenarioCommands(),
         TrafficScenarioCommands(), SoundScenarioCommands(), DialogScenarioCommands(),
         ReliabilityScenarioCommands(), HeadTrackScenarioCommands(),
         AiTrafficCommands()},
        {HostPrintCommands(), ModulePrintCommands(), ProcessPrintCommands(), CameraPrintCommands(),
         PilotPrintCommands(), CommandPrintCommands(), InputPrintCommands(),
         JoystickPrintCommands(), WalkerPrintCommands(), TrafficPrintCommands(),
         SoundPrintCommands(), DialogPrintCommands(), SimDialogPrintCommands(), HeadTrackPrintCommands(),
         AiTrafficPrintCommands()}};
    int rc = RunScenario(script, stdout, language);
    if (keep) {
        std::fprintf(stderr, "drives kept in %s\n", root.c_str());
    } else {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    return rc;
}
