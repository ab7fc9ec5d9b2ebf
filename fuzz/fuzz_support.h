// fuzz_support.h - what the libFuzzer harnesses share: the input taken apart
// front to back, a fresh substitute host whose files live in memory, and a
// check that stops the run with a message (libFuzzer then keeps the input).
//
// A harness is fuzz/NAME_fuzz.cpp with LLVMFuzzerTestOneInput, built by the
// fuzz preset against skyvane_core and skyvane_hostsim; its seeds live in
// fuzz/corpus/NAME/ (see docs/reliability.md).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "hostsim/sim_files.h"

namespace fuzz {

// The input as a stream; reads past its end give zeros, so every harness
// runs whatever the input's length.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool Empty() const { return at >= size; }
    std::size_t Left() const { return at < size ? size - at : 0; }
    std::uint8_t U8() { return at < size ? data[at++] : 0; }
    std::uint16_t U16() { return std::uint16_t(U8() | (U8() << 8)); }
    std::uint32_t U32() { return std::uint32_t(U16()) | (std::uint32_t(U16()) << 16); }
    // Any bit pattern: NaN, infinities and denormals included.
    double F64() {
        std::uint64_t bits = std::uint64_t(U32()) | (std::uint64_t(U32()) << 32);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // The next n bytes (fewer at the end).
    std::string Take(std::size_t n) {
        if (n > Left()) n = Left();
        std::string s(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return s;
    }
    std::string Rest() { return Take(Left()); }
};

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) ::fuzz::Fail(__FILE__, __LINE__, #condition); \
    } while (0)

// A fresh substitute host as the tests use it: windows main (FS98MAIN with
// five menus) and child (FS98CHILD), the simulator's records, the clock at
// ten minutes; every file in memory, none on disk.
inline void FreshHost() {
    hostsim::UseMemoryFiles(true);
    hostsim::Reset("");
    hostsim::CreateWindow("main", "FS98MAIN", 5);
    hostsim::CreateWindow("child", "FS98CHILD", 0);
    hostsim::ResetProcess();
    hostsim::BuildRecords();
}

// A file's bytes as the module left them; "" when there is none.
inline std::string FileBytes(const char* windowsPath) {
    std::string bytes;
    hostsim::GetMemoryFile(windowsPath, &bytes);
    return bytes;
}

}  // namespace fuzz
