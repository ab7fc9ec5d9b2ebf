// test_host.h - a fresh substitute host for each test: real temporary
// folder for the simulated drives, main window FS98MAIN with five top-level
// menus, child window FS98CHILD, clock at 0.
#pragma once

#include <string>

#include "hostsim/hostsim.h"

class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    PlatWindow main;
    PlatWindow child;
    std::string root;  // real folder behind the simulated drives

    // Whole content of a file named by its Windows path; "" when absent.
    std::string ReadFile(const std::string& windowsPath) const;
    void WriteFile(const std::string& windowsPath, const std::string& text) const;
};
