// frame_fixture.h - the module started in a fresh substitute host with the
// aircraft flying straight and level, ready to be ticked frame by frame.
#pragma once

#include "camera/camera_tick.h"
#include "hostsim/host_process.h"
#include "shell/main_state.h"
#include "test_host.h"

struct FlyingModule {
    TestHost host;
    FlyingModule() {
        hostsim::LoadModule();
        hostsim::Plane().altitude = 3500.0;
        hostsim::Plane().groundSpeed = 120.0;
        hostsim::Plane().heading = 90.0;
        hostsim::PublishAircraft();
    }
    ~FlyingModule() { hostsim::UnloadModule(); }
    // One frame: the clock and the aircraft move on, then the tick runs.
    void Tick(std::uint32_t ms = 16) {
        hostsim::Get().clockMs += ms;
        hostsim::Fly(ms / 1000.0);
        CameraTick();
    }
};
