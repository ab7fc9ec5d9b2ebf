// host_records.h - the simulator's records as the module reads and writes
// them: the variable request, the split fixed-point position, the view
// record and its field offsets. The one place, with host_access.cpp, that
// knows the host's layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"

// The record handed to the host's variable reader: 28 bytes, requests laid
// 32 bytes apart with the spare word zero. The value sits at byte 12, so
// the record is packed to 4.
#pragma pack(push, 4)
struct HostVariableRequest {
    std::uint32_t id;
    std::uint8_t reserved1[8];
    double value;  // filled by the host
    std::uint8_t reserved2[8];
    std::uint32_t spare;
};
#pragma pack(pop)
static_assert(sizeof(HostVariableRequest) == 32, "requests are laid 32 bytes apart");
static_assert(offsetof(HostVariableRequest, value) == 12, "value at byte 12");

// Position in the host's split fixed-point form: (fraction, integer) word
// pairs for latitude (metres north), longitude (360/2^32 degree units) and
// altitude (metres).
struct HostPosition32 {
    std::uint32_t latFraction;
    std::int32_t latInteger;
    std::uint32_t lonFraction;
    std::int32_t lonInteger;
    std::uint32_t altFraction;
    std::int32_t altInteger;
};
static_assert(sizeof(HostPosition32) == 24, "three word pairs");

inline constexpr std::uint32_t kHostViewSize = 340;

// The host's per-view record, copied whole, edited, written back whole.
struct HostView {
    std::uint8_t bytes[kHostViewSize];
};

// Field offsets in HostView.
enum HostViewField : std::uint32_t {
    kViewSizeA = 0x00,          // int32, first size figure (ratio 0x00 / 0x0C)
    kViewSizeB = 0x0C,          // int32, second size figure
    kViewType = 0x20,           // int32: 1, 2 virtual cockpit, 3, 4 spot, 1250 walker
    kViewDirectionStep = 0x24,  // int32, heading = step x 45 + matrix heading
    kViewHostParameter = 0x28,  // int32, always taken fresh from the host
    kViewZoom = 0x2E,           // int16, zoom x 64
    kViewSpotZoom = 0x34,       // int16, spot zoom x 64
    kViewSpotHeading = 0x3C,    // int16, 65536 units per 360 degrees
    kViewSpotHorizontal = 0x40, // int32, spot horizontal offset x 256
    kViewHostByteA = 0x44,      // uint8, compared only
    kViewHostByteB = 0x45,      // uint8, compared only
    kViewSpotVertical = 0x48,   // int32, spot vertical offset x 256
    kViewMatrix = 0x50,         // 3 rows of 3 floats, rows 16 bytes apart
    kViewHeadHeading = 0x90,    // int16, 65536 units per 360 degrees
    kViewEyePositionA = 0xBC,   // HostPosition32 (walker)
    kViewEyePitch = 0xD4,       // int32, 65535 units per 360 degrees (walker)
    kViewEyeHeading = 0xD8,
    kViewEyeBank = 0xDC,
    kViewEyePositionB = 0xE0,   // HostPosition32 (walker)
    kViewGeoRecord = 0x118,     // 32-bit host address, may be 0
    kViewBaseEye = 0x11C,       // 3 x int16, 1/256 units
    kViewEyeOffset = 0x12E,     // 3 x int16, 1/256 units
};

enum HostViewType : std::int32_t {
    kViewTypeOtherEye = 1,
    kViewTypeVirtualCockpit = 2,
    kViewTypeOtherEye3 = 3,
    kViewTypeSpot = 4,
    kViewTypeWalker = 1250,
};

template <typename T>
T ViewGet(const HostView& view, std::uint32_t offset) {
    T value;
    std::memcpy(&value, view.bytes + offset, sizeof value);
    return value;
}

template <typename T>
void ViewSet(HostView* view, std::uint32_t offset, T value) {
    std::memcpy(view->bytes + offset, &value, sizeof value);
}
