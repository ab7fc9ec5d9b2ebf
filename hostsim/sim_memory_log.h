// sim_memory_log.h - the substitute host's record of the memory seam's
// calls: every readability test and every read the module makes, in order,
// so that a test can hold two walks over host memory side by side.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_records.h"

namespace hostsim {

struct MemoryCall {
    bool read;  // false: a readability test
    HostAddr addr;
    std::uint32_t size;
    bool operator==(const MemoryCall&) const = default;
};

// Calls are appended to log from now on; nullptr stops the record.
void LogMemoryCalls(std::vector<MemoryCall>* log);

}  // namespace hostsim
