// module_exports.h - the two records the host reads from the module's exports.
#pragma once

#include <cstdint>

extern "C" {

// The host's interface table is imported through this list; the host writes
// its table's 32-bit address into interfaceTable when it loads the module.
struct ModuleImportTable {
    std::uint32_t entryId;         // 15: the host's interface table
    std::uint32_t interfaceTable;  // filled by the host, never by the module
    std::uint32_t endId;           // 0 ends the list
    std::uint32_t endPointer;      // 0
};

using ModuleEntryFn = void (*)();

struct ModuleLinkage {
    std::uint32_t moduleId;  // 0x13
    ModuleEntryFn init;      // called by the host; does nothing
    ModuleEntryFn deinit;    // called by the host; does nothing
    std::uint32_t flags;
    std::uint32_t priority;
    std::uint32_t version;   // 0x0900: host interface 9.0
    std::uint32_t end;       // 0: empty list ends the record
};

extern ModuleImportTable ImportTable;
extern ModuleLinkage Linkage;
}

static_assert(sizeof(ModuleImportTable) == 16, "ImportTable is 16 bytes");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(ModuleLinkage) == 28, "Linkage is 28 bytes in the 32-bit module");
#endif

#if defined(_WIN32) && !defined(_WIN64)
#include <cstddef>
static_assert(offsetof(ModuleImportTable, interfaceTable) == 4, "pointer slot is the second word");
static_assert(offsetof(ModuleLinkage, init) == 4 && offsetof(ModuleLinkage, deinit) == 8,
              "entry addresses follow the module id");
static_assert(offsetof(ModuleLinkage, version) == 20 && offsetof(ModuleLinkage, end) == 24,
              "version and end words at 20 and 24");
#endif
