// host_calls.h - services of the host's interface table.
#pragma once

#include <cstdint>

void SendHostEvent(std::uint32_t eventId, std::uint32_t parameter);
