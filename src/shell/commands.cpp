// commands.cpp - mode toggles. Touches MainState, the tower fields of
// HostgateContext and the host's event sender.
#include "shell/commands.h"

#include "host/host_access.h"
#include "host/hostgate.h"
#include "input/input.h"
#include "shell/main_state.h"

static constexpr unsigned kEventTowerOn = 0x1020F;
static constexpr unsigned kEventTowerOff = 0x1020E;

void ToggleFlyBy() {
    g_main.FlyByActive = !g_main.FlyByActive;
    if (g_main.FlyByActive) g_main.ApproachActive = 0;
}

void ToggleApproachView() {
    g_main.ApproachActive = !g_main.ApproachActive;
    if (g_main.ApproachActive) g_main.FlyByActive = 0;
}

void ToggleExternalView() {
    g_main.ExternalViewActive = !g_main.ExternalViewActive;
    if (g_main.ExternalViewActive) {
        g_main.InternalViewActive = 1;
        SetActiveViewVirtualCockpit(&g_hostgate);
    }
}

// Ending the traffic view or its lock forgets which aircraft was tracked.
static void ForgetTrafficTarget() {
    g_main.TrafficIndex = 0;
    g_main.TrafficLockId[0] = 0;
}

void ToggleTrafficView() {
    g_main.TrafficViewActive = !g_main.TrafficViewActive;
    if (g_main.TrafficViewActive) {
        g_main.LookAtViewActive = 0;
    } else {
        g_main.TrafficLockActive = 0;
        ForgetTrafficTarget();
    }
}

void ToggleTrafficLock() {
    g_main.TrafficLockActive = !g_main.TrafficLockActive;
    if (!g_main.TrafficLockActive) ForgetTrafficTarget();
}

void ToggleLookAtView() {
    g_main.LookAtViewActive = !g_main.LookAtViewActive;
    if (g_main.LookAtViewActive) {
        g_main.TrafficViewActive = 0;
        g_main.TrafficLockActive = 0;
        ForgetTrafficTarget();
    }
}

void ToggleTowerMode() {
    g_main.TowerModeActive = !g_main.TowerModeActive;
    g_hostgate.TowerModeActive = g_main.TowerModeActive;
    g_hostgate.towerEyeHeight = g_main.TowerHeight;
    if (g_main.TowerModeActive) {
        g_hostgate.saveEyeRequest = 1;
        SendHostEvent(kEventTowerOn, 0);
    } else {
        g_hostgate.restoreEyeRequest = 1;
        SendHostEvent(kEventTowerOff, 0);
    }
}
