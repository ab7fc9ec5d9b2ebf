// win_realtime.cpp - real time for what runs on its own beside the module:
// fs9host's clock only moves with "wait" and "frame", and nothing sleeps;
// "sleep MS" lets MS real milliseconds pass (the module's clock stands
// still), so that wine's sound mixer plays what the module started.
#include <windows.h>

#include "scenario.h"

namespace {

bool SleepCommand(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms) || ms < 0 || ms > 60000) return ScenarioError(s, "sleep MS (0 to 60000)");
    Sleep(DWORD(ms));
    return true;
}

const ScenarioCommand kRealTimeCommands[] = {
    {"sleep", 1, 1, SleepCommand, "sleep MS"},
};

}  // namespace

ScenarioTable RealTimeCommands() {
    return {kRealTimeCommands, int(sizeof kRealTimeCommands / sizeof kRealTimeCommands[0])};
}
