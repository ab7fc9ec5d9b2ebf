// sim_files.h - the substitute host's file system as the module's file seam
// sees it: the real folder behind the simulated drives, or files held in
// memory (fuzz harnesses read their input from memory, never from disk); and
// the troubles a user's machine can make: a file that is there but cannot be
// opened, a full disk, a process that ends before it could replace a file.
#pragma once

#include <cstdio>
#include <string>

namespace hostsim {

// Files in memory instead of the real folder. The choice stays over Reset;
// the files themselves do not.
void UseMemoryFiles(bool on);
bool MemoryFilesOn();
void SetMemoryFile(const std::string& windowsPath, const std::string& bytes);
// false when there is no such file in memory.
bool GetMemoryFile(const std::string& windowsPath, std::string* bytes);

// The file exists but cannot be opened (another program holds it, or the
// account may not read it).
void LockFile(const std::string& windowsPath, bool locked);
// Every write into a file fails, as on a full disk: opening for writing
// still empties the file.
void SetDiskFull(bool full);
// Replacing one file by another fails, as when the process ends before it.
void SetReplaceFails(bool fails);

// No memory files, nothing locked, nothing failing. Called by Reset.
void ResetFiles();

// The seam's file functions (platform/sim/files_sim.cpp and PlatFileOpen).
std::FILE* OpenFile(const std::string& windowsPath, const char* mode);
bool FileExists(const std::string& windowsPath);
bool ReplaceFile(const std::string& from, const std::string& to);
bool DeleteFile(const std::string& windowsPath);

}  // namespace hostsim
