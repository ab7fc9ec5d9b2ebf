// sim_objects.h - the simulator's drawn 3D objects in the substitute host:
// the object list of G3D.DLL, object entries, model headers with their tag
// tables and drawing blocks built from simple scenery (boxes, a gable roof,
// a ramp, nested steps), hostile blocks for the probe's bounds, and the
// geographic records the views point to.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace hostsim {

// Where the substitute host keeps the scenery.
inline constexpr HostAddr kSimObjectEntries = 0x08000000;  // 104-byte entries
inline constexpr HostAddr kSimModels = 0x10000000;         // model headers and drawing blocks
inline constexpr HostAddr kSimGeoRecords = 0x00780000;     // one geographic record per view
inline constexpr std::uint32_t kSimObjectCapacity = 8192;
inline constexpr std::uint32_t kSimModelHeaderSize = 0x100;

// Called where the simulator's records are built: an empty object list and
// a geographic record behind each view.
void BuildSceneryRecords();
// No objects: everything placed leaves the address space; the list stays where it is.
void ClearObjects();

// Scenery, placed by its reference point (degrees, metres above sea level):
// sizes in metres, x east, z north. Each answers the object's index.
// A box: footprint east x north, top at alt + height; subdivisions > 1 split
// its top into that many quads a side (more triangles, same surface).
int AddBox(double lat, double lon, double alt, double east, double north, double height, int subdivisions = 1);
// A gable roof on no walls: eaves at alt + eaves, ridge along the north axis at alt + ridge.
int AddRoof(double lat, double lon, double alt, double width, double length, double eaves, double ridge);
// A ramp rising toward the north from alt at its south edge to alt + height at its north edge.
int AddRamp(double lat, double lon, double alt, double width, double length, double height);
// Stacked boxes, each one a sub-block inside the one below: level k spans
// size x (levels - k) / levels a side, from alt + k x step to alt + (k + 1) x step.
int AddSteps(double lat, double lon, double alt, int levels, double size, double step);

enum HostileBlock {
    kHostileSelfLoop,    // a sub-block that is the block itself
    kHostileFan,         // two sub-blocks that are the block itself: a doubling tree
    kHostileEscape,      // a sub-block offset far outside the block
    kHostileMillion,     // a triangle list claiming 1,000,000 triangles
    kHostileUnreadable,  // records running into a page that is not there
    kHostileSkipLoop,    // a missed sphere whose skip offset is 0
    kHostileZeroLength,  // a hit sphere whose length is 0
    kHostileCount
};
extern const char* const kHostileNames[kHostileCount];
// A block of that kind at the reference point.
int AddHostile(HostileBlock kind, double lat, double lon, double alt);
// An object whose drawing block is exactly these bytes; answers the block's address.
HostAddr AddRawBlock(const std::vector<std::uint8_t>& bytes);

// What the map and the prints show of an object.
struct ObjectOutline {
    const char* kind;
    double lat, lon, alt;     // reference point
    double east, north;       // footprint, metres (0 for hostile blocks)
    double top;               // highest point above alt, metres
    HostAddr block;           // the drawing block's address
};
const std::vector<ObjectOutline>& Objects();

// Geographic record of the view list kind (3, 4 or 5); 0 detaches it from its view.
HostAddr GeoRecordAddress(std::int32_t kind);
void DetachGeoRecords();

}  // namespace hostsim
