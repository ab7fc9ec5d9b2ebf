// win_process.cpp - the simulator's process in fs9host. hostsim/
// host_process.cpp lays out the records, flies the aircraft and answers the
// variables, as in the substitute host; here its address space is this
// process's own memory, committed with VirtualAlloc at the very addresses
// the records live at, and the interface table holds functions of this
// program built with the simulator's calling convention (stdcall: the
// callee removes its arguments). A module that calls them with another
// convention leaves its stack off by the arguments' size; the checks below
// (the return address must lie in the module's code, the request must be
// writable) and the fault report make that a deterministic failure.
#include "win_process.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/host_records.h"
#include "hostsim/host_process.h"
#include "win_traffic.h"

namespace {

constexpr std::uintptr_t kPage = 0x1000;
constexpr std::uintptr_t kGranule = 0x10000;  // reservations are 64 KiB aligned

std::vector<std::uintptr_t> g_reserved;  // 64 KiB granules this process reserved
std::uintptr_t g_failedAddress;
std::uint32_t g_interfaceTable;
HMODULE g_module;
std::uint32_t g_clockMs = 600000;  // as the substitute host: up for ten minutes

bool Reserved(std::uintptr_t granule) {
    for (std::uintptr_t g : g_reserved) {
        if (g == granule) return true;
    }
    return false;
}

bool CommittedReadable(std::uintptr_t addr, bool write) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(reinterpret_cast<void*>(addr), &info, sizeof info) != sizeof info) return false;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
    DWORD writable = PAGE_READWRITE | PAGE_EXECUTE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_WRITECOPY;
    return !write || (info.Protect & writable) != 0;
}

// Each page of [addr, addr + size) in turn: fn(page address, offset in the
// caller's buffer, bytes in this page).
template <typename Fn>
void EachPage(std::uintptr_t addr, std::uint32_t size, Fn fn) {
    std::uint64_t at = addr, end = std::uint64_t(addr) + size;
    while (at < end && at < (std::uint64_t(1) << 32)) {
        std::uint64_t pageEnd = (at | (kPage - 1)) + 1;
        std::uint32_t n = std::uint32_t((pageEnd < end ? pageEnd : end) - at);
        fn(std::uintptr_t(at), std::uint32_t(at - addr), n);
        at += n;
    }
}

}  // namespace

// [SECTION] hostsim's address space on real memory

namespace hostsim {

// Everything committed goes; the reservations stay, so the addresses stay ours.
void ResetMemory() {
    for (std::uintptr_t granule : g_reserved) VirtualFree(reinterpret_cast<void*>(granule), kGranule, MEM_DECOMMIT);
}

// Granule by granule (a commit may not span two reservations): reserve the
// 64 KiB granule unless this process has already, then commit the range's
// pages in it. Pages already committed keep their bytes. A granule that
// something else holds (a heap, a mapped file) is a failure: committing
// inside another allocation would share its bytes with the records.
void Commit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uintptr_t start = addr & ~(kPage - 1);
    std::uintptr_t end = (std::uintptr_t(addr) + size + kPage - 1) & ~(kPage - 1);
    for (std::uintptr_t g = start & ~(kGranule - 1); g < end; g += kGranule) {
        if (!Reserved(g)) {
            if (!VirtualAlloc(reinterpret_cast<void*>(g), kGranule, MEM_RESERVE, PAGE_NOACCESS)) {
                if (g_failedAddress == 0) g_failedAddress = g > start ? g : start;
                continue;
            }
            g_reserved.push_back(g);
        }
        std::uintptr_t from = g > start ? g : start, to = g + kGranule < end ? g + kGranule : end;
        void* got = VirtualAlloc(reinterpret_cast<void*>(from), to - from, MEM_COMMIT, PAGE_READWRITE);
        if (got != reinterpret_cast<void*>(from) && g_failedAddress == 0) g_failedAddress = from;
    }
}

void Decommit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uintptr_t start = addr & ~(kPage - 1);
    std::uintptr_t end = (std::uintptr_t(addr) + size + kPage - 1) & ~(kPage - 1);
    for (std::uintptr_t g = start & ~(kGranule - 1); g < end; g += kGranule) {
        std::uintptr_t from = g > start ? g : start, to = g + kGranule < end ? g + kGranule : end;
        if (Reserved(g)) VirtualFree(reinterpret_cast<void*>(from), to - from, MEM_DECOMMIT);
    }
}

bool Readable(HostAddr addr, std::uint32_t size) {
    if (std::uint64_t(addr) + size > (std::uint64_t(1) << 32)) return false;
    bool readable = true;
    EachPage(addr, size, [&readable](std::uintptr_t at, std::uint32_t, std::uint32_t) {
        readable = readable && CommittedReadable(at, false);
    });
    return readable;
}

// As in the substitute host: unreadable bytes read as zero, writes to
// memory that is not there are dropped; fs9host itself never faults.
void Read(HostAddr addr, void* out, std::uint32_t size) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    EachPage(addr, size, [bytes](std::uintptr_t at, std::uint32_t done, std::uint32_t n) {
        if (CommittedReadable(at, false)) {
            std::memcpy(bytes + done, reinterpret_cast<const void*>(at), n);
        } else {
            std::memset(bytes + done, 0, n);
        }
    });
}

void Write(HostAddr addr, const void* data, std::uint32_t size) {
    auto* bytes = static_cast<const std::uint8_t*>(data);
    EachPage(addr, size, [bytes](std::uintptr_t at, std::uint32_t done, std::uint32_t n) {
        if (CommittedReadable(at, true)) std::memcpy(reinterpret_cast<void*>(at), bytes + done, n);
    });
}

}  // namespace hostsim

std::uintptr_t FailedHostAddress() {
    return g_failedAddress;
}

// [SECTION] The records that are not at fixed addresses

namespace {

hostsim::ProcessLayout g_layout;
constexpr std::uintptr_t kBlockSize = 0x200000;

}  // namespace

const hostsim::ProcessLayout& hostsim::Layout() {
    return g_layout;
}

// One 2 MiB block below 4 GiB, the first free one from 0x20000000 up: the
// modules' data areas, the module list, the view manager and views, the
// interface table; the parts never committed stay unreadable.
bool ReserveProcessBlock() {
    for (std::uintptr_t base = 0x20000000; base < 0x80000000; base += 0x01000000) {
        if (!VirtualAlloc(reinterpret_cast<void*>(base), kBlockSize, MEM_RESERVE, PAGE_NOACCESS)) continue;
        for (std::uintptr_t g = base; g < base + kBlockSize; g += kGranule) g_reserved.push_back(g);
        HostAddr b = HostAddr(base);
        g_layout = hostsim::ProcessLayout{b + 0x0E0000, b + 0x0F0000, b + 0x100000, b + 0x110000, b,
                                          b + 0x0C0000, b + 0x120000, b + 0x0D0000, b + 0x130000, 0};
        return true;
    }
    return false;
}

// [SECTION] The module's image

void SetModuleImage(HMODULE module) {
    g_module = module;
    if (module && g_interfaceTable) {
        auto* importTable = reinterpret_cast<std::uint32_t*>(GetProcAddress(module, "ImportTable"));
        if (importTable) importTable[1] = g_interfaceTable;
    }
}

std::uint32_t InterfaceTableAddress() {
    return g_interfaceTable;
}

namespace {

const IMAGE_NT_HEADERS* Headers(HMODULE module) {
    auto* base = reinterpret_cast<const std::uint8_t*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

// Whether addr lies in an executable section of the loaded module.
bool InModuleCode(const void* addr) {
    if (!g_module) return false;
    auto* base = reinterpret_cast<const std::uint8_t*>(g_module);
    const IMAGE_NT_HEADERS* nt = Headers(g_module);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; i++, section++) {
        if (!(section->Characteristics & IMAGE_SCN_MEM_EXECUTE)) continue;
        const std::uint8_t* begin = base + section->VirtualAddress;
        if (addr >= begin && addr < begin + section->Misc.VirtualSize) return true;
    }
    return false;
}

[[noreturn]] void CallFailure(const char* function, const char* what, const void* at) {
    std::fflush(stdout);
    std::fprintf(stderr, "fs9host: %s: %s (0x%08lX)\n", function, what,
                 static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(at)));
    std::fflush(stderr);
    ExitProcess(3);
}

// A call from anywhere but the module's code is a return through a stack
// that is off: the caller popped what the callee had already removed, or
// the other way round.
void CheckCaller(const char* function, const void* returnAddress) {
    if (!InModuleCode(returnAddress)) {
        CallFailure(function, "called from outside the module's code: its stack is off (calling convention?)",
                    returnAddress);
    }
}

}  // namespace

void ReportHostCallFailure(const char* function, const char* what, const void* at) {
    CallFailure(function, what, at);
}

void CheckModuleCaller(const char* function, const void* returnAddress) {
    CheckCaller(function, returnAddress);
}

// [SECTION] The interface table's functions: stdcall, as the simulator's

extern "C" {

__attribute__((noinline)) void __stdcall Fs9ReadHostVariable(HostVariableRequest* request) {
    CheckCaller("ReadHostVariable", __builtin_return_address(0));
    if (IsBadWritePtr(request, 28)) CallFailure("ReadHostVariable", "request not writable", request);
    hostsim::CallReadVariable(request);
}

__attribute__((noinline)) void __stdcall Fs9SendHostEvent(std::uint32_t eventId, std::uint32_t parameter) {
    CheckCaller("SendHostEvent", __builtin_return_address(0));
    hostsim::CallSendEvent(eventId, parameter);
}

}  // extern "C"

namespace hostsim {

// fs9host is linked below 4 GiB, so its functions have 32-bit addresses.
HostAddr ReadVariableEntry() {
    return HostAddr(reinterpret_cast<std::uintptr_t>(&Fs9ReadHostVariable));
}

HostAddr SendEventEntry() {
    return HostAddr(reinterpret_cast<std::uintptr_t>(&Fs9SendHostEvent));
}

void HandInterfaceTable(HostAddr table) {
    g_interfaceTable = table;
    SetModuleImage(g_module);
}

}  // namespace hostsim

// [SECTION] System functions answered for the module

std::uint32_t& HostClockMs() {
    return g_clockMs;
}

namespace {

DWORD WINAPI HostTimeGetTime() {
    return g_clockMs;
}

BOOL WINAPI HostGetCursorPos(POINT* point) {
    CheckCaller("GetCursorPos", __builtin_return_address(0));
    if (!point) return FALSE;
    point->x = hostsim::TheScreen().cursorX;
    point->y = hostsim::TheScreen().cursorY;
    return TRUE;
}

int __cdecl HostRand() {
    return hostsim::NextRand();
}

struct Interposed {
    const char* dll;
    const char* name;
    void* function;
};

const Interposed kInterposed[] = {
    {"winmm.dll", "timeGetTime", reinterpret_cast<void*>(&HostTimeGetTime)},
    {"user32.dll", "GetCursorPos", reinterpret_cast<void*>(&HostGetCursorPos)},
    {"msvcrt.dll", "rand", reinterpret_cast<void*>(&HostRand)},
    {"kernel32.dll", "GetModuleHandleA", reinterpret_cast<void*>(&HostGetModuleHandleA)},
    {"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&HostGetProcAddress)},
};

const Interposed* FindInterposed(const char* dll, const char* name) {
    for (const Interposed& i : kInterposed) {
        if (lstrcmpiA(dll, i.dll) == 0 && std::strcmp(name, i.name) == 0) return &i;
    }
    return nullptr;
}

}  // namespace

int InterposeModuleImports(HMODULE module) {
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    const IMAGE_DATA_DIRECTORY& dir = Headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return 0;
    int replaced = 0;
    auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; d->Name != 0; d++) {
        const char* dll = reinterpret_cast<const char*>(base + d->Name);
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk
                                                                                        : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const Interposed* i = FindInterposed(dll, reinterpret_cast<const char*>(byName->Name));
            if (!i) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(i->function);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            replaced++;
        }
    }
    return replaced;
}

// [SECTION] Faults

namespace {

LONG WINAPI ReportFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(r->ExceptionAddress);
    std::fflush(stdout);
    std::fprintf(stderr, "fs9host: exception 0x%08lX at 0x%08lX%s\n", static_cast<unsigned long>(r->ExceptionCode),
                 static_cast<unsigned long>(at), InModuleCode(r->ExceptionAddress) ? " in the module" : "");
    std::fflush(stderr);
    ExitProcess(3);
}

}  // namespace

void InstallFaultReport() {
    SetUnhandledExceptionFilter(ReportFault);
}
