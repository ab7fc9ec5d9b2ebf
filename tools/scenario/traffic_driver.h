// traffic_driver.h - what a scenario asks of a host about the simulator's AI
// traffic: its list of aircraft (natural units, container order), the state
// of its container, laying both out where the module finds them, and the
// count of the module's calls. The substitute host lays the container out in
// its simulated memory (hostsim/sim_traffic.cpp); fs9host hands it to its
// acontain.dll (tools/fs9host/win_traffic.cpp). The "ai" commands
// (scenario_traffic.cpp) are written against this, so both print the same.
#pragma once

#include <vector>

#include "hostsim/ai_traffic.h"

class TrafficDriver {
public:
    virtual ~TrafficDriver() = default;
    // The aircraft in container order; the commands edit them, then Publish.
    virtual std::vector<hostsim::AiAircraft>& Aircraft() = 0;
    // How many aircraft the container holds at most.
    virtual int Capacity() = 0;
    // Put the container into that state; false when this host cannot.
    virtual bool SetContainerState(hostsim::ContainerState state) = 0;
    // Lay the aircraft and the container out where the module finds them.
    virtual void Publish() = 0;
    // The module's lookups of the container's module and export, and its
    // calls of the container's functions, since the host started.
    virtual hostsim::TrafficCalls Calls() = 0;
};

TrafficDriver& AiTrafficHost();
void SetAiTrafficHost(TrafficDriver* driver);

struct ScenarioTable;
// "ai ..." and "print traffic-host".
ScenarioTable AiTrafficCommands();
ScenarioTable AiTrafficPrintCommands();
