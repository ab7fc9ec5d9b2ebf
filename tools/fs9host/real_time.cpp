// real_time.cpp - the one scenario command of fs9host that lets real time
// pass: the scenario's clock (wait, frame) never sleeps, but what runs on
// its own beside the module needs real time: datagrams another program
// sends must arrive between two frames, and wine's sound mixer must play
// what the module started.
#include <windows.h>

#include "scenario.h"

namespace {

// sleep MS: the host sleeps; the scenario's clock stands still.
bool RealSleep(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms) || ms < 0 || ms > 60000) return ScenarioError(s, "sleep 0-60000 ms: %s", a[0].c_str());
    Sleep(DWORD(ms));
    return true;
}

const ScenarioCommand kRealTimeCommands[] = {
    {"sleep", 1, 1, RealSleep, "sleep MS"},
};

}  // namespace

ScenarioTable RealTimeCommands() {
    return {kRealTimeCommands, int(sizeof kRealTimeCommands / sizeof kRealTimeCommands[0])};
}
