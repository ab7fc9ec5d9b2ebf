// platform_win32.cpp - the platform seam on the real Win32 API. Thin: each
// function is the Windows call it is named after, with the module's types.
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

static_assert(sizeof(HookCallRecord) == sizeof(CWPSTRUCT), "record is CWPSTRUCT");
static_assert(offsetof(HookCallRecord, lParam) == offsetof(CWPSTRUCT, lParam), "CWPSTRUCT.lParam");
static_assert(offsetof(HookCallRecord, wParam) == offsetof(CWPSTRUCT, wParam), "CWPSTRUCT.wParam");
static_assert(offsetof(HookCallRecord, message) == offsetof(CWPSTRUCT, message), "CWPSTRUCT.message");
static_assert(offsetof(HookCallRecord, window) == offsetof(CWPSTRUCT, hwnd), "CWPSTRUCT.hwnd");
static_assert(offsetof(HookQueuedMessage, window) == offsetof(MSG, hwnd), "MSG.hwnd");
static_assert(offsetof(HookQueuedMessage, message) == offsetof(MSG, message), "MSG.message");
static_assert(offsetof(HookQueuedMessage, wParam) == offsetof(MSG, wParam), "MSG.wParam");
static_assert(offsetof(HookQueuedMessage, lParam) == offsetof(MSG, lParam), "MSG.lParam");
static_assert(offsetof(HookQueuedMessage, cursorY) + sizeof(LONG) <= sizeof(MSG), "MSG head");

extern HINSTANCE g_win32Instance;  // set by DllMain

template <typename To, typename From>
static To As(From from) {
    return reinterpret_cast<To>(from);
}

// [SECTION] Process and module

std::size_t PlatModuleFileName(PlatInstance instance, char* buf, std::size_t size) {
    if (size == 0) return 0;
    DWORD n = GetModuleFileNameA(As<HMODULE>(instance), buf, DWORD(size));
    if (n >= size) n = DWORD(size - 1);  // truncated: Windows XP leaves it unterminated
    buf[n] = 0;
    return n;
}

std::uint32_t PlatCurrentThreadId() {
    return GetCurrentThreadId();
}

std::uint32_t PlatClockMs() {
    return timeGetTime();
}

// [SECTION] Windows

PlatWindow PlatFindWindowByClass(const char* className) {
    return As<PlatWindow>(FindWindowA(className, nullptr));
}

std::size_t PlatWindowClassName(PlatWindow window, char* buf, std::size_t size) {
    if (size == 0) return 0;
    int n = GetClassNameA(As<HWND>(window), buf, int(size));
    if (n <= 0) {
        buf[0] = 0;
        return 0;
    }
    return std::size_t(n);
}

void PlatMessageBox(PlatWindow owner, const char* text) {
    MessageBoxA(As<HWND>(owner), text, nullptr, MB_OK);
}

// [SECTION] Hooks
// Windows calls hook procedures with its own calling convention; these
// trampolines hand the call to the core's procedure of each kind.

static PlatHookProc g_hookProcs[2];  // [0] WH_GETMESSAGE, [1] WH_CALLWNDPROC

static LRESULT CALLBACK GetMessageTrampoline(int code, WPARAM wParam, LPARAM lParam) {
    return g_hookProcs[0](code, wParam, lParam);
}

static LRESULT CALLBACK CallWndProcTrampoline(int code, WPARAM wParam, LPARAM lParam) {
    return g_hookProcs[1](code, wParam, lParam);
}

PlatHook PlatInstallHook(PlatHookKind kind, PlatHookProc proc, std::uint32_t threadId) {
    int slot = kind == kHookCallWndProc ? 1 : 0;
    g_hookProcs[slot] = proc;
    HOOKPROC trampoline = slot ? CallWndProcTrampoline : GetMessageTrampoline;
    return As<PlatHook>(SetWindowsHookExA(int(kind), trampoline, g_win32Instance, threadId));
}

void PlatRemoveHook(PlatHook hook) {
    UnhookWindowsHookEx(As<HHOOK>(hook));
}

PlatResult PlatCallNextHook(PlatHook hook, int code, PlatWParam wParam, PlatLParam lParam) {
    return CallNextHookEx(As<HHOOK>(hook), code, wParam, lParam);
}

// [SECTION] Menus

PlatMenu PlatCreatePopupMenu() {
    return As<PlatMenu>(CreatePopupMenu());
}

void PlatDestroyMenu(PlatMenu menu) {
    DestroyMenu(As<HMENU>(menu));
}

int PlatAppendMenu(PlatMenu menu, std::uint32_t flags, std::uintptr_t idOrPopup, const char* text) {
    return AppendMenuA(As<HMENU>(menu), flags, UINT_PTR(idOrPopup), text) ? 1 : 0;
}

PlatMenu PlatWindowMenuBar(PlatWindow window) {
    return As<PlatMenu>(GetMenu(As<HWND>(window)));
}

PlatMenu PlatSubMenu(PlatMenu menu, int position) {
    return As<PlatMenu>(GetSubMenu(As<HMENU>(menu), position));
}

int PlatMenuItemCount(PlatMenu menu) {
    return GetMenuItemCount(As<HMENU>(menu));
}

int PlatMenuItemIsSeparator(PlatMenu menu, int position) {
    UINT state = GetMenuState(As<HMENU>(menu), UINT(position), MF_BYPOSITION);
    return (state != UINT(-1) && (state & MF_SEPARATOR)) ? 1 : 0;
}

int PlatRemoveMenuItem(PlatMenu menu, int position) {
    return RemoveMenu(As<HMENU>(menu), UINT(position), MF_BYPOSITION) ? 1 : 0;
}

// [SECTION] Registry

PlatRegKey PlatRegLocalMachine() {
    return As<PlatRegKey>(HKEY_LOCAL_MACHINE);
}

PlatRegKey PlatRegOpenKey(PlatRegKey root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(As<HKEY>(root), subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
    return As<PlatRegKey>(key);
}

PlatRegKey PlatRegCreateKey(PlatRegKey root, const char* subkey) {
    HKEY key = nullptr;
    char emptyClass[1] = {0};
    LONG rc = RegCreateKeyExA(As<HKEY>(root), subkey, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return rc == ERROR_SUCCESS ? As<PlatRegKey>(key) : nullptr;
}

int PlatRegQueryValue(PlatRegKey key, const char* name, std::uint8_t* buf, std::uint32_t size) {
    DWORD type = 0;
    DWORD bytes = size;
    return RegQueryValueExA(As<HKEY>(key), name, nullptr, &type, buf, &bytes) == ERROR_SUCCESS ? 1 : 0;
}

int PlatRegSetString(PlatRegKey key, const char* name, const char* text, std::uint32_t size) {
    const BYTE* data = reinterpret_cast<const BYTE*>(text);
    return RegSetValueExA(As<HKEY>(key), name, 0, REG_SZ, data, size) == ERROR_SUCCESS ? 1 : 0;
}

void PlatRegCloseKey(PlatRegKey key) {
    RegCloseKey(As<HKEY>(key));
}

// [SECTION] Files

std::FILE* PlatFileOpen(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

// [SECTION] Host memory and host calls
// The module lives in the host's process: host addresses are pointers.

static const void* HostPointer(HostAddr addr) {
    return reinterpret_cast<const void*>(std::uintptr_t(addr));
}

int PlatHostReadable(HostAddr addr, std::uint32_t size) {
    return IsBadReadPtr(HostPointer(addr), size) ? 0 : 1;
}

void PlatHostRead(HostAddr addr, void* out, std::uint32_t size) {
    std::memcpy(out, HostPointer(addr), size);
}

void PlatHostWrite(HostAddr addr, const void* data, std::uint32_t size) {
    std::memcpy(const_cast<void*>(HostPointer(addr)), data, size);
}

void PlatHostReadVariable(HostAddr fn, HostVariableRequest* request) {
    using ReadFn = void(__stdcall*)(HostVariableRequest*);
    reinterpret_cast<ReadFn>(std::uintptr_t(fn))(request);
}

void PlatHostSendEvent(HostAddr fn, std::uint32_t eventId, std::uint32_t parameter) {
    using SendFn = void(__stdcall*)(std::uint32_t, std::uint32_t);
    reinterpret_cast<SendFn>(std::uintptr_t(fn))(eventId, parameter);
}

// [SECTION] Cursor, client area, random numbers

int PlatCursorPos(std::int32_t* x, std::int32_t* y) {
    POINT p;
    if (!GetCursorPos(&p)) return 0;
    *x = p.x;
    *y = p.y;
    return 1;
}

int PlatClientSize(PlatWindow window, std::int32_t* width, std::int32_t* height) {
    RECT r;
    if (!GetClientRect(As<HWND>(window), &r)) return 0;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return 1;
}

int PlatScreenToClient(PlatWindow window, std::int32_t* x, std::int32_t* y) {
    POINT p = {*x, *y};
    if (!ScreenToClient(As<HWND>(window), &p)) return 0;
    *x = p.x;
    *y = p.y;
    return 1;
}

int PlatRand() {
    return std::rand();
}

// [SECTION] Common file dialogs
// (commdlg.h is left out of the lean windows.h.)
#include <commdlg.h>

// The dialog structure in its short form (OPENFILENAME_SIZE_VERSION_400A),
// as the earliest common dialog library knew it: up to lpTemplateName.
static constexpr DWORD kOpenFileNameShortSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#ifndef _WIN64
static_assert(kOpenFileNameShortSize == 76, "the 76-byte OPENFILENAMEA");
#endif

int PlatChooseFile(const PlatFileDialog& dialog, char* path, std::size_t size) {
    if (size == 0) return 0;
    path[0] = 0;
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = kOpenFileNameShortSize;
    ofn.hwndOwner = As<HWND>(dialog.owner);
    ofn.hInstance = g_win32Instance;
    ofn.lpstrFilter = dialog.filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = DWORD(size);
    ofn.lpstrInitialDir = dialog.initialFolder;
    ofn.lpstrTitle = dialog.title;
    ofn.Flags = dialog.flags;
    ofn.lpstrDefExt = dialog.defaultExtension;
    BOOL ok = dialog.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    return ok ? 1 : 0;
}

// [SECTION] Keyboard state and mouse capture

int PlatKeyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) ? 1 : 0;
}

void PlatCaptureMouse(PlatWindow window) {
    SetCapture(As<HWND>(window));
}

void PlatReleaseMouse() {
    ReleaseCapture();
}
