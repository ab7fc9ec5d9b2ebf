// host_process.h - the simulator's process as the module sees it: a 32-bit
// address space with the simulator's records at their real addresses, its
// interface table, its variables and the user aircraft, which can fly a
// simple scripted flight. Both hosts run this code (host_process.cpp); each
// supplies the memory and the interface table's call targets: the
// substitute host in sim_memory.cpp, fs9host in real memory
// (tools/fs9host/win_process.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_records.h"

namespace hostsim {

// [SECTION] Address space: 4 KiB pages, committed on demand. Reads of pages
// that are not committed give zeros; the readability test says no. Each
// host implements these (not Read32 and Write32).

void ResetMemory();
void Commit(HostAddr addr, std::uint32_t size);
void Decommit(HostAddr addr, std::uint32_t size);  // the range becomes unreadable
bool Readable(HostAddr addr, std::uint32_t size);
void Read(HostAddr addr, void* out, std::uint32_t size);
void Write(HostAddr addr, const void* data, std::uint32_t size);
std::uint32_t Read32(HostAddr addr);
void Write32(HostAddr addr, std::uint32_t value);

// [SECTION] The interface table as each host supplies it

// Call targets the table holds: the substitute host's are markers that
// platform/sim answers, fs9host's are its functions with the simulator's
// calling convention.
HostAddr ReadVariableEntry();
HostAddr SendEventEntry();
// Give the module the table's address (the second word of its ImportTable);
// 0 takes it away.
void HandInterfaceTable(HostAddr table);
// What only one host keeps (the substitute host's 3D scenery and AI
// traffic): laid out at the end of BuildRecords, moved on by Fly, cleared by
// ResetProcess.
void BuildHostOwnRecords();
void FlyHostOwnRecords(double dt);
void ResetHostOwnRecords();

// [SECTION] The simulator's records

// Where the substitute host puts what the module finds through the fixed
// addresses and the module list.
inline constexpr HostAddr kSimG3dBase = 0x01000000;
inline constexpr HostAddr kSimGlobalBase = 0x02000000;
inline constexpr HostAddr kSimInterfaceTable = 0x00A00000;
inline constexpr HostAddr kSimReadVariableFn = 0x7FFE00A0;  // not memory: call targets
inline constexpr HostAddr kSimSendEventFn = 0x7FFE0090;
// Where the "unreadable" module list points: never committed.
inline constexpr HostAddr kSimUnreadableList = 0x0BAD0000;

// Where a host keeps the records that are not at fixed addresses. The
// substitute host's are the constants above; fs9host puts them in a block it
// could reserve (a real process has other things at those addresses).
struct ProcessLayout {
    HostAddr moduleList;      // entries and names, 0x2000 bytes
    HostAddr viewManager;     // manager, arrays, elements, 0x1000 bytes
    HostAddr views;           // one HostView per list, 0x1000 bytes
    HostAddr interfaceTable;  // 0x100 bytes
    HostAddr g3dBase;         // G3D.DLL: up to its projection matrix
    HostAddr globalBase;      // GLOBAL.DLL: 0x4000 bytes
    HostAddr otherBase;       // a module the walk passes over: never committed
    HostAddr secondGlobal;    // the second GLOBAL.DLL of that shape: 0x4000 bytes
    HostAddr unreadable;      // never readable
    HostAddr acontainBase;    // acontain.dll, the AI aircraft container's module; 0: none
};
const ProcessLayout& Layout();

enum ModuleListShape {
    kModulesNormal,           // ..., G3D.DLL, ..., GLOBAL.DLL, ...
    kModulesUnreadable,       // the head points at memory that is not there
    kModulesEmpty,            // head 0
    kModulesDuplicateGlobal,  // a second GLOBAL.DLL entry after the first, at another base
    kModulesLowerCase,        // names in lower case
};

// Lay out the records: module list, view manager with its three lists
// (layout kind 3, a virtual cockpit view first in each list), the data
// areas of GLOBAL.DLL and G3D.DLL, the interface table; and write the
// table's address into the module's ImportTable.
void BuildRecords();
void SetModuleList(ModuleListShape shape);
void SetLayoutKind(std::int32_t kind);
// Type of the first view of list `kind` (3, 4 or 5).
void SetViewType(std::int32_t kind, std::int32_t type);
// Host address of the first view of list `kind`.
HostAddr ViewAddress(std::int32_t kind);

// The camera position record the module writes (GLOBAL.DLL data area +
// 0xD50): its six words, and the point they encode in degrees and feet.
struct CameraPosition {
    std::uint32_t words[6];  // lat fraction, integer, lon fraction, integer, alt fraction, integer
    double latitude, longitude, altitude;
};
CameraPosition ReadCameraPosition();

// [SECTION] Variables and events

void SetVariable(std::uint32_t id, double value);
double Variable(std::uint32_t id);
// Variables set by hand keep their value over the aircraft's until cleared.
void ClearVariableOverrides();
struct SentEvent {
    std::uint32_t id;
    std::uint32_t parameter;
};
const std::vector<SentEvent>& SentEvents();
// What the interface table's functions do when the module calls them.
void CallReadVariable(HostVariableRequest* request);
void CallSendEvent(std::uint32_t id, std::uint32_t parameter);

// [SECTION] The user aircraft, in natural units

struct Aircraft {
    double latitude, longitude;  // degrees
    double altitude;             // feet
    double heading, pitch, bank; // degrees; pitch positive nose down
    double groundSpeed;          // knots, along the heading
    double verticalSpeed;        // feet per minute, positive up
    double turnRate;             // degrees per second, positive right
    double ground;               // ground elevation, feet
    double wind;                 // host units
    double gLoad;                // g
    int overspeed;               // 0 or 1
    double buffet;               // 0..1, 1 = no buffet
};

Aircraft& Plane();
// Host variables from the aircraft state (those not set by hand).
void PublishAircraft();
// Fly for dt seconds: along the heading at the ground speed, climbing or
// descending at the vertical speed, turning at the turn rate, banked for the
// turn; the aircraft stops on the ground.
void Fly(double dt);

// [SECTION] Cursor, window client area, rand()

struct Screen {
    std::int32_t cursorX, cursorY;  // screen pixels
    std::int32_t clientX, clientY;  // screen position of the main window's client area
    std::int32_t clientWidth, clientHeight;
};
Screen& TheScreen();
void FeedRand(const std::vector<int>& values);  // returned first, in order
int NextRand();  // fed values, then the C library's usual sequence from seed 1

void ResetProcess();

}  // namespace hostsim
