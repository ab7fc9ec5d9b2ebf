// test_host.cpp - per-test substitute host.
#include "test_host.h"

#include "hostsim/host_process.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TestHost::TestHost() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/skyvane-test-XXXXXX";
    root = mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
    hostsim::Reset(root);
    main = hostsim::CreateWindow("main", "FS98MAIN", 5);
    child = hostsim::CreateWindow("child", "FS98CHILD", 0);
    hostsim::ResetProcess();
    hostsim::BuildRecords();
}

TestHost::~TestHost() {
    std::error_code ignored;
    if (root != "/tmp") std::filesystem::remove_all(root, ignored);
}

std::string TestHost::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(hostsim::RealPath(windowsPath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void TestHost::WriteFile(const std::string& windowsPath, const std::string& text) const {
    hostsim::MakeParentFolders(windowsPath);
    std::ofstream out(hostsim::RealPath(windowsPath), std::ios::binary);
    out << text;
}
