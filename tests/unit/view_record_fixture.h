// view_record_fixture.h - a fresh substitute host whose virtual cockpit view
// (kind 3) the pilot view engine runs on directly, with its record's fields
// read and written by offset.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/host_access.h"
#include "hostsim/host_process.h"
#include "pilotview/pilot_view.h"
#include "test_host.h"

class ViewRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g, 0, sizeof g);
        LocateHostModules(&g);
        g.frameDelta = 0.05;
    }
    template <typename T>
    T HostField(std::uint32_t offset) const {
        T value;
        hostsim::Read(view + offset, &value, sizeof value);
        return value;
    }
    template <typename T>
    void SetHostField(std::uint32_t offset, T value) { hostsim::Write(view + offset, &value, sizeof value); }

    TestHost host;
    HostgateContext g;
    HostAddr view = hostsim::ViewAddress(3);
};
