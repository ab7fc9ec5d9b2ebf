// sim_memory.cpp - the substitute host's side of the simulator's process:
// a 4 GiB address space of pages committed on demand, and the interface
// table's call targets, which platform/sim answers itself.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "hostsim/host_process.h"
#include "hostsim/sim_objects.h"
#include "hostsim/sim_traffic.h"
#include "shell/module_exports.h"

namespace hostsim {

// [SECTION] Address space

static constexpr std::uint32_t kPageBits = 12;
static constexpr std::uint32_t kPageSize = 1u << kPageBits;
static constexpr std::uint32_t kPageCount = 1u << (32 - kPageBits);

// One pointer per page of the 4 GiB space; a page exists once committed.
static std::unique_ptr<std::uint8_t[]> g_pages[kPageCount];
// Pages committed since the last reset, so that a reset (once per fuzz run)
// need not visit the million page slots; and pages given back, kept for the
// next commit (a fresh allocation each run is slow under the sanitizers).
static std::vector<std::uint32_t> g_committed;
static std::vector<std::unique_ptr<std::uint8_t[]>> g_spare;

static void GiveBack(std::uint32_t p) {
    if (g_pages[p]) g_spare.push_back(std::move(g_pages[p]));
}

void ResetMemory() {
    for (std::uint32_t p : g_committed) GiveBack(p);
    g_committed.clear();
}

void Commit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uint64_t last = (std::uint64_t(addr) + size - 1) >> kPageBits;
    for (std::uint64_t p = addr >> kPageBits; p <= last && p < kPageCount; p++) {
        if (g_pages[p]) continue;
        if (g_spare.empty()) {
            g_pages[p].reset(new std::uint8_t[kPageSize]);
        } else {
            g_pages[p] = std::move(g_spare.back());
            g_spare.pop_back();
        }
        std::memset(g_pages[p].get(), 0, kPageSize);
        g_committed.push_back(std::uint32_t(p));
    }
}

void Decommit(HostAddr addr, std::uint32_t size) {
    if (size == 0) return;
    std::uint64_t last = (std::uint64_t(addr) + size - 1) >> kPageBits;
    for (std::uint64_t p = addr >> kPageBits; p <= last && p < kPageCount; p++) GiveBack(std::uint32_t(p));
}

bool Readable(HostAddr addr, std::uint32_t size) {
    if (std::uint64_t(addr) + size > (std::uint64_t(1) << 32)) return false;
    if (size == 0) return true;
    if (size <= kPageSize - (addr & (kPageSize - 1))) return g_pages[addr >> kPageBits] != nullptr;
    std::uint32_t last = (addr + size - 1) >> kPageBits;
    for (std::uint32_t p = addr >> kPageBits; p <= last; p++) {
        if (!g_pages[p]) return false;
    }
    return true;
}

// Copies page by page; bytes of missing pages read as zero, writes to them
// are dropped: the substitute host never faults.
template <typename Fn>
static void EachPiece(HostAddr addr, std::uint32_t size, Fn fn) {
    std::uint64_t at = addr, end = std::uint64_t(addr) + size;
    std::uint32_t done = 0;
    while (at < end && at < (std::uint64_t(1) << 32)) {
        std::uint32_t offset = std::uint32_t(at & (kPageSize - 1));
        std::uint32_t n = std::uint32_t(std::min<std::uint64_t>(kPageSize - offset, end - at));
        fn(g_pages[at >> kPageBits].get(), offset, done, n);
        at += n;
        done += n;
    }
}

void Read(HostAddr addr, void* out, std::uint32_t size) {
    // Most reads lie in one committed page.
    const std::uint32_t inPage = addr & (kPageSize - 1);
    if (inPage + std::uint64_t(size) <= kPageSize) {
        if (const std::uint8_t* page = g_pages[addr >> kPageBits].get()) {
            std::memcpy(out, page + inPage, size);
            return;
        }
    }
    auto* bytes = static_cast<std::uint8_t*>(out);
    EachPiece(addr, size, [bytes](std::uint8_t* page, std::uint32_t offset, std::uint32_t done, std::uint32_t n) {
        if (page) {
            std::memcpy(bytes + done, page + offset, n);
        } else {
            std::memset(bytes + done, 0, n);
        }
    });
}

void Write(HostAddr addr, const void* data, std::uint32_t size) {
    auto* bytes = static_cast<const std::uint8_t*>(data);
    EachPiece(addr, size, [bytes](std::uint8_t* page, std::uint32_t offset, std::uint32_t done, std::uint32_t n) {
        if (page) std::memcpy(page + offset, bytes + done, n);
    });
}

// [SECTION] Layout and the interface table

const ProcessLayout& Layout() {
    static const ProcessLayout layout = {0x00500000, 0x00600000, 0x00700000,
                                         kSimInterfaceTable, kSimG3dBase, kSimGlobalBase, 0x03000000, 0x04000000,
                                         kSimUnreadableList, kSimAcontainBase};
    return layout;
}

HostAddr ReadVariableEntry() {
    return kSimReadVariableFn;
}

HostAddr SendEventEntry() {
    return kSimSendEventFn;
}

// The module is linked in: its ImportTable is a global of this program.
void HandInterfaceTable(HostAddr table) {
    ImportTable.interfaceTable = table;
}

// [SECTION] Records of the substitute host's own

void BuildHostOwnRecords() {
    BuildSceneryRecords();
    PublishTraffic();
}

void FlyHostOwnRecords(double dt) {
    FlyTraffic(dt);
}

void ResetHostOwnRecords() {
    ResetTraffic();
}

}  // namespace hostsim
