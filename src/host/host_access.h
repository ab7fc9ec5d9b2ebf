// host_access.h - everything the module knows about where things are in the
// simulator's process: its interface table, its modules, its view records
// and data. Host memory is reached only through 32-bit host addresses.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "host/hostgate.h"

// Fixed host locations in the supported simulator version.
inline constexpr HostAddr kHostModuleListHead = 0x47D15C;
inline constexpr HostAddr kHostViewManager = 0x47D0B4;
inline constexpr HostAddr kHostViewLayoutKind = 0x47D0BC;
inline constexpr std::uint32_t kG3dObjectList = 0xA5E30;
inline constexpr std::uint32_t kG3dProjectionMatrix = 0xAEA50;
inline constexpr std::uint32_t kGlobalDataArea = 0x3000;
inline constexpr std::uint32_t kGlobalEyePosition = 0x35B0;
inline constexpr std::uint32_t kGlobalEyeAttitude = 0x35C8;
inline constexpr std::uint32_t kCameraPositionRecord = 0xD50;  // in the data area
inline constexpr std::uint32_t kInterfaceReadVariable = 0xA0;
inline constexpr std::uint32_t kInterfaceSendEvent = 0x90;
// Walks over host lists stop here even if the host's list does not end.
inline constexpr int kHostWalkLimit = 4096;

inline std::uint32_t HostRead32(HostAddr addr) {
    std::uint32_t value = 0;
    PlatHostRead(addr, &value, sizeof value);
    return value;
}

inline void HostWrite32(HostAddr addr, std::uint32_t value) {
    PlatHostWrite(addr, &value, sizeof value);
}

// Refresh the host-location fields; 0 when the module list cannot be read.
int LocateHostModules(HostgateContext* g);
// Host address of the active view record, 0 when there is none.
HostAddr FindActiveHostView(HostgateContext* g);
// The per-frame entry while the internal pilot view is on; always 1.
int SyncHostFrame(HostgateContext* g);

// Calls through the host's interface table; nothing happens while the host
// has not given the module its table.
void ReadHostVariable(HostVariableRequest* request);
void SendHostEvent(std::uint32_t eventId, std::uint32_t parameter);
// Read one host variable through a request record of the caller's; a value
// that is not finite (NaN, an infinity) reads as 0.
double ReadHostVariableValue(HostVariableRequest* request, std::uint32_t id);

// Conversions into the host's integers, the one rule for every double the
// module stores into a host integer: truncation toward zero, and the low 32
// or 16 bits of that whole number stored (two's complement), as if the
// integer were as wide as it needs to be; so -1 stores 0xFFFFFFFF and
// 2^32 + 5 stores 5, also beyond the 64-bit range. NaN and the infinities
// store 0. Every value that fits a 64-bit integer converts exactly as a
// truncation to 64 bits would.
std::uint32_t HostLow32(double value);
std::uint16_t HostLow16(double value);
// degrees / 360 x 4294967295, truncated, low 32 bits.
std::uint32_t HostAngle32(double degrees);
// Split fixed-point word pair of x: integer part and (|x| - trunc|x|) x (2^32 - 1).
void HostSplit32(double x, std::int32_t* integer, std::uint32_t* fraction);
// Position in degrees and metres as the host holds it.
HostPosition32 ToHostPosition32(double latitudeDeg, double longitudeDeg, double altitudeMetres);
