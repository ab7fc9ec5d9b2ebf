// platform.h - the one seam between the module and the outside world.
//
// Everything the Windows and host interfaces provide is reached through the
// purpose-named plain functions below. Two implementations exist and are
// chosen at link time: platform/win32 (the real APIs, shipped in the DLL) and
// platform/sim (driven by the substitute host in hostsim/). Core code includes
// this header and never <windows.h>.
//
// Handles are opaque pointers: on win32 they are the real HWND/HMENU/HKEY/HHOOK
// values, in the substitute host they are small ids. Message numbers and
// parameters keep their Windows values and widths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct PlatWindowTag;
struct PlatMenuTag;
struct PlatRegKeyTag;
struct PlatHookTag;
struct PlatInstanceTag;

using PlatWindow = PlatWindowTag*;      // HWND
using PlatMenu = PlatMenuTag*;          // HMENU
using PlatRegKey = PlatRegKeyTag*;      // HKEY
using PlatHook = PlatHookTag*;          // HHOOK
using PlatInstance = PlatInstanceTag*;  // HINSTANCE / HMODULE

using PlatWParam = std::uintptr_t;  // WPARAM
using PlatLParam = std::intptr_t;   // LPARAM
using PlatResult = std::intptr_t;   // LRESULT

// ---------------------------------------------------------------------------
// [SECTION] Windows message numbers the module speaks
// ---------------------------------------------------------------------------
enum : std::uint32_t {
    kMsgNull = 0x0000,
    kMsgKeyDown = 0x0100,
    kMsgKeyUp = 0x0101,
    kMsgInitDialog = 0x0110,
    kMsgCommand = 0x0111,
    kMsgTimer = 0x0113,
    kMsgInitMenu = 0x0116,
    kMsgMouseMove = 0x0200,
    kMsgLButtonDown = 0x0201,
    kMsgLButtonUp = 0x0202,
    kMsgRButtonDown = 0x0204,
    kMsgRButtonUp = 0x0205,
    kMsgMButtonDown = 0x0207,
    kMsgMButtonUp = 0x0208,
    kMsgMouseWheel = 0x020A,
    kMsgHostFrame = 0x0466,  // the simulator's per-frame message (1126)
    kMsgJoystickButtonDown = 0xFE00,
    kMsgJoystickButtonUp = 0xFE01,
};

// ---------------------------------------------------------------------------
// [SECTION] Process and module
// ---------------------------------------------------------------------------
// Full path of the module file of `instance` into buf (zero-terminated,
// cut to size). Returns the length written, 0 on failure.
std::size_t PlatModuleFileName(PlatInstance instance, char* buf, std::size_t size);
std::uint32_t PlatCurrentThreadId();
// The multimedia millisecond clock (wraps after 49.7 days).
std::uint32_t PlatClockMs();

// ---------------------------------------------------------------------------
// [SECTION] Windows
// ---------------------------------------------------------------------------
// Top-level window of the class, any title; null when none.
PlatWindow PlatFindWindowByClass(const char* className);
// Class name of the window into buf (zero-terminated); 0 when unknown.
std::size_t PlatWindowClassName(PlatWindow window, char* buf, std::size_t size);
// Modal OK box with no caption text (the system's default caption).
void PlatMessageBox(PlatWindow owner, const char* text);

// ---------------------------------------------------------------------------
// [SECTION] Message hooks on one thread
// ---------------------------------------------------------------------------
enum PlatHookKind : int {
    kHookGetMessage = 3,   // WH_GETMESSAGE
    kHookCallWndProc = 4,  // WH_CALLWNDPROC
};
// A hook procedure as the core writes it; lParam carries the record address.
using PlatHookProc = PlatResult (*)(int code, PlatWParam wParam, PlatLParam lParam);

// The record a WH_CALLWNDPROC procedure receives (CWPSTRUCT's layout).
struct HookCallRecord {
    PlatLParam lParam;
    PlatWParam wParam;
    std::uint32_t message;
    PlatWindow window;
};
// The head of the queued message a WH_GETMESSAGE procedure receives (MSG's layout).
struct HookQueuedMessage {
    PlatWindow window;
    std::uint32_t message;
    PlatWParam wParam;
    PlatLParam lParam;
    std::uint32_t time;
    std::int32_t cursorX;
    std::int32_t cursorY;
};

// Install proc as a hook of the kind for the thread only; null on failure.
// At most one procedure per kind is installed at a time.
PlatHook PlatInstallHook(PlatHookKind kind, PlatHookProc proc, std::uint32_t threadId);
void PlatRemoveHook(PlatHook hook);
PlatResult PlatCallNextHook(PlatHook hook, int code, PlatWParam wParam, PlatLParam lParam);

// ---------------------------------------------------------------------------
// [SECTION] Menus
// ---------------------------------------------------------------------------
enum PlatMenuFlags : std::uint32_t {
    kMenuString = 0x0000,     // MF_STRING
    kMenuChecked = 0x0008,    // MF_CHECKED
    kMenuPopup = 0x0010,      // MF_POPUP: id is a PlatMenu
    kMenuSeparator = 0x0800,  // MF_SEPARATOR
};
PlatMenu PlatCreatePopupMenu();
void PlatDestroyMenu(PlatMenu menu);
// Append an item; for kMenuPopup `idOrPopup` is the popup's handle.
int PlatAppendMenu(PlatMenu menu, std::uint32_t flags, std::uintptr_t idOrPopup, const char* text);
PlatMenu PlatWindowMenuBar(PlatWindow window);
PlatMenu PlatSubMenu(PlatMenu menu, int position);  // null when that item has no popup
int PlatMenuItemCount(PlatMenu menu);               // -1 on failure
int PlatMenuItemIsSeparator(PlatMenu menu, int position);
// Remove (not destroy) the item at position; 1 when done.
int PlatRemoveMenuItem(PlatMenu menu, int position);

// ---------------------------------------------------------------------------
// [SECTION] Registry (REG_SZ values)
// ---------------------------------------------------------------------------
PlatRegKey PlatRegLocalMachine();
// Open an existing subkey with full access; null on failure.
PlatRegKey PlatRegOpenKey(PlatRegKey root, const char* subkey);
// Create (or open) the subkey: empty class, non-volatile, full access; null on failure.
PlatRegKey PlatRegCreateKey(PlatRegKey root, const char* subkey);
// Query the value's data into buf (any type); 1 when it fit and was read.
int PlatRegQueryValue(PlatRegKey key, const char* name, std::uint8_t* buf, std::uint32_t size);
// Set a REG_SZ value of `size` bytes (text plus its terminating zero); 1 when set.
int PlatRegSetString(PlatRegKey key, const char* name, const char* text, std::uint32_t size);
void PlatRegCloseKey(PlatRegKey key);

// ---------------------------------------------------------------------------
// [SECTION] Files
// ---------------------------------------------------------------------------
// Open a file named by a Windows path with a C stdio mode. The module always
// asks for binary modes and writes its own CR LF line ends, so files look the
// same whichever implementation wrote them.
std::FILE* PlatFileOpen(const char* path, const char* mode);

// ---------------------------------------------------------------------------
// [SECTION] Host memory: the simulator's process, by 32-bit host addresses
// ---------------------------------------------------------------------------
using HostAddr = std::uint32_t;

// 1 when all `size` bytes at addr can be read (the readability test the
// module makes before walking host lists); never faults.
int PlatHostReadable(HostAddr addr, std::uint32_t size);
// Copy host memory. The module tests readability first where it must; the
// substitute host never faults, it reads zeros from memory that is not there.
void PlatHostRead(HostAddr addr, void* out, std::uint32_t size);
void PlatHostWrite(HostAddr addr, const void* data, std::uint32_t size);

// ---------------------------------------------------------------------------
// [SECTION] Host calls through the simulator's interface table
// ---------------------------------------------------------------------------
struct HostVariableRequest;
// Call the host's variable reader at fn with the request (the host's
// calling convention); the host fills the request's value.
void PlatHostReadVariable(HostAddr fn, HostVariableRequest* request);
// Call the host's event sender at fn.
void PlatHostSendEvent(HostAddr fn, std::uint32_t eventId, std::uint32_t parameter);

// ---------------------------------------------------------------------------
// [SECTION] Cursor, client area, random numbers
// ---------------------------------------------------------------------------
// Cursor position in screen pixels; 0 when unknown.
int PlatCursorPos(std::int32_t* x, std::int32_t* y);
// Client area size of the window in pixels; 0 when unknown.
int PlatClientSize(PlatWindow window, std::int32_t* width, std::int32_t* height);
// Screen to client coordinates of the window; 0 when it failed.
int PlatScreenToClient(PlatWindow window, std::int32_t* x, std::int32_t* y);
// The C library's rand(): 0 to 32767.
int PlatRand();

// ---------------------------------------------------------------------------
// [SECTION] Common file dialogs
// ---------------------------------------------------------------------------
struct PlatFileDialog {
    PlatWindow owner;
    int save;                   // 1: the save dialog, 0: the open dialog
    const char* filter;         // double-zero-terminated filter pairs
    const char* defaultExtension;
    const char* title;
    const char* initialFolder;
    std::uint32_t flags;        // OFN_* flags
};
// Show the dialog; 1 with the chosen full path in path (zero-terminated,
// at most size - 1 characters), 0 when the user cancelled or it failed.
int PlatChooseFile(const PlatFileDialog& dialog, char* path, std::size_t size);

// ---------------------------------------------------------------------------
// [SECTION] Keyboard state and mouse capture
// ---------------------------------------------------------------------------
enum : int {
    kVirtualKeyShift = 0x10,
    kVirtualKeyControl = 0x11,
    kVirtualKeyAlt = 0x12,
    kVirtualKeyEscape = 0x1B,
};
// 1 while the key is down at this moment (the asynchronous key state).
int PlatKeyDown(int virtualKey);
void PlatCaptureMouse(PlatWindow window);
void PlatReleaseMouse();

// ---------------------------------------------------------------------------
// [SECTION] Game controllers through DirectInput 8, and posted messages
// ---------------------------------------------------------------------------
// Results are HRESULTs: negative on failure.
struct PlatJoystickTag;
using PlatJoystick = PlatJoystickTag*;  // IDirectInputDevice8A*
// One attached game controller offered by the enumeration (its
// DIDEVICEINSTANCEA); valid only during the call.
using PlatJoystickFound = void (*)(const void* instance);
inline constexpr std::int32_t kJoystickInputLost = std::int32_t(0x8007001E);  // DIERR_INPUTLOST
inline constexpr int kJoystickButtons = 128;

// DirectInput8Create for the host executable's module, version 0x0800.
std::int32_t PlatDirectInputCreate();
// EnumDevices over attached game controllers; found is called for each.
std::int32_t PlatDirectInputEnumControllers(PlatJoystickFound found);
// Release the interface; nothing when there is none.
void PlatDirectInputRelease();
std::int32_t PlatJoystickCreate(const void* instance, PlatJoystick* device);
std::int32_t PlatJoystickGetInfo(PlatJoystick device);
// SetDataFormat with the predefined joystick format (DIJOYSTATE2).
std::int32_t PlatJoystickSetFormat(PlatJoystick device);
std::int32_t PlatJoystickGetCapabilities(PlatJoystick device);
// EnumObjects over the buttons, each answered with "continue".
std::int32_t PlatJoystickEnumButtons(PlatJoystick device);
std::int32_t PlatJoystickPoll(PlatJoystick device);
std::int32_t PlatJoystickAcquire(PlatJoystick device);
// GetDeviceState into a DIJOYSTATE2; on success its rgbButtons go to buttons.
std::int32_t PlatJoystickButtons(PlatJoystick device, std::uint8_t buttons[kJoystickButtons]);
void PlatJoystickUnacquire(PlatJoystick device);
void PlatJoystickRelease(PlatJoystick device);

void PlatPostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam);
