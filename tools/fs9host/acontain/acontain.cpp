// acontain.cpp - acontain.dll: the simulator's AI aircraft container for
// fs9host (layout and conventions in acontain.h). fs9host loads it before
// the module and hands it the aircraft through AcontainPublish; the module
// finds it loaded and calls into it as it would into the simulator's.
#include "acontain.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#if defined(__i386__)
#define HOST_MEMBER __attribute__((thiscall))
#elif defined(__x86_64__)
#define HOST_MEMBER  // one convention: the object is the first argument
#else
#error "the container's member functions are written for i386 and x86-64"
#endif

#define ACONTAIN_EXPORT extern "C" __declspec(dllexport)

namespace {

// [SECTION] Layout

constexpr int kCapacity = 1024;
constexpr std::uint32_t kLinkageWords = 0x80 / 4;
constexpr std::uint32_t kLinkageGetterWord = 0x4C / 4;
constexpr std::uint32_t kTableWords = 8;
constexpr std::uint32_t kRecordBytes = 0x40;
constexpr std::uint32_t kRecordData = 0x28;
constexpr std::uint32_t kDataBytes = 0x2000;
constexpr std::uint32_t kDataHidden = 0x40;
constexpr std::uint32_t kDataPosition = 0x192;
constexpr std::uint32_t kDataName = 0x165F;
constexpr std::uint32_t kNameRoom = kDataBytes - kDataName - 1;

// How fs9host breaks one aircraft's links (hostsim::AiBreak).
enum Break { kWhole, kNullObject, kNullTable, kNullEntry, kNullRecord, kNullData };

struct Container {
    std::uint32_t table;
    std::uint32_t unused[3];
};

struct AiObject {
    std::uint32_t table;
    std::uint32_t record;  // what entry 4 returns
    std::uint32_t unused[2];
};

struct Table {
    std::uint32_t entry[kTableWords];
};

alignas(16) Container g_container;
alignas(16) Table g_containerTable;
alignas(16) Table g_aircraftTable;   // entry 4 the simulation record
alignas(16) Table g_entrylessTable;  // the same with entry 4 at 0
alignas(16) std::uint32_t g_slots[kCapacity];
alignas(16) AiObject g_objects[kCapacity];
alignas(16) std::uint8_t g_records[kCapacity][kRecordBytes];
alignas(16) std::uint8_t g_data[kCapacity][kDataBytes];

int g_count;  // aircraft published
int g_state = kAcontainNormal;
AcontainCalls g_calls;
AcontainFailFn g_fail;
AcontainCallerFn g_checkCaller;

std::uint32_t Word(const void* p) {
    return std::uint32_t(reinterpret_cast<std::uintptr_t>(p));
}

template <typename Fn>
std::uint32_t FunctionWord(Fn* fn) {
    return std::uint32_t(reinterpret_cast<std::uintptr_t>(fn));
}

void PutWord(std::uint8_t* at, std::uint32_t value) {
    std::memcpy(at, &value, 4);
}

// [SECTION] Checks

[[noreturn]] void Fail(const char* function, const char* what, const void* at) {
    if (g_fail) g_fail(function, what, at);
    std::fflush(stdout);
    std::fprintf(stderr, "acontain: %s: %s (0x%08lX)\n", function, what,
                 static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(at)));
    std::fflush(stderr);
    ExitProcess(3);
}

void CheckCaller(const char* function, const void* returnAddress) {
    if (g_checkCaller) g_checkCaller(function, returnAddress);
}

// The aircraft object's index, or -1 when self is none of the published ones.
int ObjectIndex(const void* self) {
    auto at = reinterpret_cast<std::uintptr_t>(self), first = reinterpret_cast<std::uintptr_t>(&g_objects[0]);
    if (at < first || (at - first) % sizeof(AiObject) != 0) return -1;
    std::uintptr_t index = (at - first) / sizeof(AiObject);
    return index < std::uintptr_t(g_count) ? int(index) : -1;
}

// [SECTION] What the module calls

// A stray ECX (a caller that pushed the object instead) arrives here as
// anything but the container.
std::int32_t HOST_MEMBER ContainerCount(Container* self) {
    if (self != &g_container) Fail("count", "not called on the container (calling convention?)", self);
    CheckCaller("count", __builtin_return_address(0));
    g_calls.count++;
    return g_count;
}

// Called with the object on the stack, the index this function reads is the
// object: out of range, and the caller's stack is left 4 bytes off.
AiObject* HOST_MEMBER ContainerGet(Container* self, std::int32_t index) {
    if (self != &g_container) Fail("get", "not called on the container (calling convention?)", self);
    if (index < 0 || index >= g_count) {
        Fail("get", "index outside the count (calling convention?)",
             reinterpret_cast<const void*>(std::intptr_t(index)));
    }
    CheckCaller("get", __builtin_return_address(0));
    g_calls.get++;
    return reinterpret_cast<AiObject*>(std::uintptr_t(g_slots[index]));
}

void* HOST_MEMBER AircraftSimulationRecord(AiObject* self) {
    if (ObjectIndex(self) < 0) Fail("entry 4", "not called on an aircraft object (calling convention?)", self);
    CheckCaller("entry 4", __builtin_return_address(0));
    g_calls.record++;
    return reinterpret_cast<void*>(std::uintptr_t(self->record));
}

Container* ContainerGetter() {
    CheckCaller("container getter", __builtin_return_address(0));
    g_calls.getter++;
    return g_state == kAcontainNull ? nullptr : &g_container;
}

// Entries the module has no business calling.
template <int kEntry>
void HOST_MEMBER ContainerEntry(void* self) {
    char what[48];
    std::snprintf(what, sizeof what, "container table entry %d called", kEntry);
    Fail("container", what, self);
}

template <int kEntry>
void HOST_MEMBER AircraftEntry(void* self) {
    char what[48];
    std::snprintf(what, sizeof what, "aircraft table entry %d called", kEntry);
    Fail("aircraft", what, self);
}

// [SECTION] Laying out

void BuildTables() {
    g_containerTable = Table{{FunctionWord(&ContainerEntry<0>), FunctionWord(&ContainerCount),
                              FunctionWord(&ContainerGet), FunctionWord(&ContainerEntry<3>),
                              FunctionWord(&ContainerEntry<4>), FunctionWord(&ContainerEntry<5>),
                              FunctionWord(&ContainerEntry<6>), FunctionWord(&ContainerEntry<7>)}};
    g_aircraftTable = Table{{FunctionWord(&AircraftEntry<0>), FunctionWord(&AircraftEntry<1>),
                             FunctionWord(&AircraftEntry<2>), FunctionWord(&AircraftEntry<3>),
                             FunctionWord(&AircraftSimulationRecord), FunctionWord(&AircraftEntry<5>),
                             FunctionWord(&AircraftEntry<6>), FunctionWord(&AircraftEntry<7>)}};
    g_entrylessTable = g_aircraftTable;
    g_entrylessTable.entry[4] = 0;
}

// Everything the module is handed must have a 32-bit address.
bool BelowFourGiB() {
    auto last = reinterpret_cast<std::uintptr_t>(&g_data[kCapacity - 1][kDataBytes - 1]);
    return last <= 0xFFFFFFFFu && reinterpret_cast<std::uintptr_t>(&AircraftSimulationRecord) <= 0xFFFFFFFFu &&
           reinterpret_cast<std::uintptr_t>(&ContainerGetter) <= 0xFFFFFFFFu;
}

void PublishAircraft(int i, const AcontainAircraft& a) {
    AiObject& object = g_objects[i];
    std::uint8_t* record = g_records[i];
    std::uint8_t* data = g_data[i];
    g_slots[i] = a.broken == kNullObject ? 0 : Word(&object);
    object.table = a.broken == kNullTable ? 0 : Word(a.broken == kNullEntry ? &g_entrylessTable : &g_aircraftTable);
    object.record = a.broken == kNullRecord ? 0 : Word(record);
    PutWord(record + kRecordData, a.broken == kNullData ? 0 : Word(data));
    PutWord(data + kDataHidden, a.hiddenWord);
    std::memcpy(data + kDataPosition, a.position, sizeof a.position);
    std::size_t n = a.name ? std::strlen(a.name) : 0;
    if (n > kNameRoom) n = kNameRoom;
    if (n) std::memcpy(data + kDataName, a.name, n);
    data[kDataName + n] = 0;
}

}  // namespace

// [SECTION] Exports

// The simulator's record; the module reads its word at 0x4C.
extern "C" {
__declspec(dllexport) alignas(16) std::uint32_t Linkage[kLinkageWords];
}

ACONTAIN_EXPORT void AcontainSetChecks(AcontainFailFn fail, AcontainCallerFn caller) {
    g_fail = fail;
    g_checkCaller = caller;
}

ACONTAIN_EXPORT int AcontainCapacity() {
    return kCapacity;
}

// 0 when the DLL's storage is out of the module's reach (above 4 GiB).
ACONTAIN_EXPORT int AcontainPublish(const AcontainAircraft* aircraft, int count, int state) {
    if (!BelowFourGiB()) return 0;
    if (count < 0) count = 0;
    if (count > kCapacity) count = kCapacity;
    BuildTables();
    g_state = state;
    g_count = count;
    Linkage[kLinkageGetterWord] = state == kAcontainNullGetter ? 0 : FunctionWord(&ContainerGetter);
    g_container.table = state == kAcontainNullTable ? 0 : Word(&g_containerTable);
    for (int i = 0; i < count; i++) PublishAircraft(i, aircraft[i]);
    return 1;
}

ACONTAIN_EXPORT void AcontainGetCalls(AcontainCalls* calls) {
    *calls = g_calls;
}

ACONTAIN_EXPORT void* AcontainObject(int index) {
    if (index == -1) return &g_container;
    return index >= 0 && index < g_count ? &g_objects[index] : nullptr;
}
