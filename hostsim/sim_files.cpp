// sim_files.cpp - files of the substitute host: the real folder or memory,
// and the troubles it can be told to make.
#include "hostsim/sim_files.h"

#include <sys/stat.h>

#include <cstring>
#include <map>
#include <set>

#include "hostsim/hostsim.h"

namespace hostsim {

namespace {

bool g_memory;
bool g_diskFull;
bool g_replaceFails;
std::map<std::string, std::string> g_files;  // by folded Windows path
std::set<std::string> g_locked;

// Windows paths name the same file whatever their letter case.
std::string Key(const std::string& windowsPath) {
    std::string key = windowsPath;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return key;
}

// [SECTION] Streams over memory

struct Reading {
    std::string bytes;
    std::size_t at;
};

ssize_t ReadPiece(void* cookie, char* buf, std::size_t size) {
    Reading* r = static_cast<Reading*>(cookie);
    std::size_t n = std::min(size, r->bytes.size() - r->at);
    std::memcpy(buf, r->bytes.data() + r->at, n);
    r->at += n;
    return ssize_t(n);
}

int CloseReading(void* cookie) {
    delete static_cast<Reading*>(cookie);
    return 0;
}

// Written bytes go into the memory file (or nowhere, on a full disk) as they
// come, as a real file grows.
struct Writing {
    bool memory;      // else a real file on a full disk, whose bytes go nowhere
    std::string key;  // of the memory file
    bool fails;
};

ssize_t WritePiece(void* cookie, const char* buf, std::size_t size) {
    Writing* w = static_cast<Writing*>(cookie);
    if (w->fails) return 0;  // fopencookie's way of saying it failed
    if (w->memory) g_files[w->key].append(buf, size);
    return ssize_t(size);
}

int CloseWriting(void* cookie) {
    delete static_cast<Writing*>(cookie);
    return 0;
}

std::FILE* OpenReading(const std::string& bytes) {
    cookie_io_functions_t io = {ReadPiece, nullptr, nullptr, CloseReading};
    return fopencookie(new Reading{bytes, 0}, "rb", io);
}

std::FILE* OpenWriting(bool memory, const std::string& key, bool fails) {
    cookie_io_functions_t io = {nullptr, WritePiece, nullptr, CloseWriting};
    return fopencookie(new Writing{memory, key, fails}, "wb", io);
}

bool Writes(const char* mode) {
    return std::strpbrk(mode, "wa+") != nullptr;
}

}  // namespace

void UseMemoryFiles(bool on) {
    g_memory = on;
}

bool MemoryFilesOn() {
    return g_memory;
}

void SetMemoryFile(const std::string& windowsPath, const std::string& bytes) {
    g_files[Key(windowsPath)] = bytes;
}

bool GetMemoryFile(const std::string& windowsPath, std::string* bytes) {
    auto it = g_files.find(Key(windowsPath));
    if (it == g_files.end()) return false;
    *bytes = it->second;
    return true;
}

void LockFile(const std::string& windowsPath, bool locked) {
    if (locked) {
        g_locked.insert(Key(windowsPath));
    } else {
        g_locked.erase(Key(windowsPath));
    }
}

void SetDiskFull(bool full) {
    g_diskFull = full;
}

void SetReplaceFails(bool fails) {
    g_replaceFails = fails;
}

void ResetFiles() {
    g_files.clear();
    g_locked.clear();
    g_diskFull = false;
    g_replaceFails = false;
}

// [SECTION] The seam's operations

std::FILE* OpenFile(const std::string& windowsPath, const char* mode) {
    const std::string key = Key(windowsPath);
    if (g_locked.count(key)) return nullptr;
    if (g_memory) {
        if (Writes(mode)) {
            g_files[key].clear();
            return OpenWriting(true, key, g_diskFull);
        }
        auto it = g_files.find(key);
        return it == g_files.end() ? nullptr : OpenReading(it->second);
    }
    std::FILE* file = std::fopen(RealPath(windowsPath).c_str(), mode);
    if (file && g_diskFull && Writes(mode)) {
        // Emptied, and nothing more reaches it.
        std::fclose(file);
        return OpenWriting(false, "", true);
    }
    return file;
}

bool FileExists(const std::string& windowsPath) {
    const std::string key = Key(windowsPath);
    if (g_locked.count(key)) return true;
    if (g_memory) return g_files.count(key) != 0;
    struct stat info;
    return ::stat(RealPath(windowsPath).c_str(), &info) == 0;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    if (g_replaceFails || g_locked.count(Key(to))) return false;
    if (g_memory) {
        auto it = g_files.find(Key(from));
        if (it == g_files.end()) return false;
        std::string bytes = it->second;
        g_files.erase(it);
        g_files[Key(to)] = bytes;
        return true;
    }
    return std::rename(RealPath(from).c_str(), RealPath(to).c_str()) == 0;
}

bool DeleteFile(const std::string& windowsPath) {
    if (g_locked.count(Key(windowsPath))) return false;
    if (g_memory) return g_files.erase(Key(windowsPath)) != 0;
    return std::remove(RealPath(windowsPath).c_str()) == 0;
}

}  // namespace hostsim
