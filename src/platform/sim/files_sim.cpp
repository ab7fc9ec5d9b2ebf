// files_sim.cpp - the file part of the platform seam on the substitute
// host's files (hostsim/sim_files.h): its real folder, or memory.
#include "hostsim/sim_files.h"
#include "platform/platform.h"
#include "platform/platform_files.h"

std::FILE* PlatFileOpen(const char* path, const char* mode) {
    return hostsim::OpenFile(path, mode);
}

int PlatFileExists(const char* path) {
    return hostsim::FileExists(path) ? 1 : 0;
}

int PlatFileReplace(const char* from, const char* to) {
    return hostsim::ReplaceFile(from, to) ? 1 : 0;
}

int PlatFileDelete(const char* path) {
    return hostsim::DeleteFile(path) ? 1 : 0;
}
