// host_calls_win32.cpp - the host-call seam on the real loader and real
// calls into the host's code. The conventions are explained in
// platform_host_calls.h; this file only states them in the types.
#include <windows.h>

#include <cstdint>

#include "platform/platform_host_calls.h"

#if defined(__i386__)
#define HOST_MEMBER_CALL __attribute__((thiscall))
#elif defined(__x86_64__)
#define HOST_MEMBER_CALL  // one convention: the object is the first argument (RCX)
#else
#error "the host's member calls are written for i386 and x86-64"
#endif

using ContainerGetterFn = void* (*)();
using ContainerCountFn = int(HOST_MEMBER_CALL*)(void* container);
using ContainerGetFn = void*(HOST_MEMBER_CALL*)(void* container, int index);
using SimulationRecordFn = void*(HOST_MEMBER_CALL*)(void* object);

template <typename Fn>
static Fn CallTarget(HostAddr fn) {
    return reinterpret_cast<Fn>(std::uintptr_t(fn));
}

static void* HostPointer(HostAddr addr) {
    return reinterpret_cast<void*>(std::uintptr_t(addr));
}

// An address above 4 GiB (64-bit build only) is not a host address.
static HostAddr ToHostAddr(std::uintptr_t address) {
    return address > 0xFFFFFFFFu ? 0 : HostAddr(address);
}

static HostAddr ToHostAddr(const void* address) {
    return ToHostAddr(reinterpret_cast<std::uintptr_t>(address));
}

// [SECTION] Modules already in the process

HostAddr PlatHostFindLoadedModule(const char* fileName) {
    return ToHostAddr(GetModuleHandleA(fileName));
}

HostAddr PlatHostFindExport(HostAddr module, const char* exportName) {
    if (module == 0) return 0;
    FARPROC found = GetProcAddress(static_cast<HMODULE>(HostPointer(module)), exportName);
    return ToHostAddr(reinterpret_cast<std::uintptr_t>(found));
}

// [SECTION] Calls into the host's aircraft container

HostAddr PlatHostCallContainerGetter(HostAddr fn) {
    return ToHostAddr(CallTarget<ContainerGetterFn>(fn)());
}

std::int32_t PlatHostCallContainerCount(HostAddr fn, HostAddr container) {
    return CallTarget<ContainerCountFn>(fn)(HostPointer(container));
}

HostAddr PlatHostCallContainerGet(HostAddr fn, HostAddr container, std::int32_t index) {
    return ToHostAddr(CallTarget<ContainerGetFn>(fn)(HostPointer(container), index));
}

HostAddr PlatHostCallSimulationRecord(HostAddr fn, HostAddr object) {
    return ToHostAddr(CallTarget<SimulationRecordFn>(fn)(HostPointer(object)));
}
