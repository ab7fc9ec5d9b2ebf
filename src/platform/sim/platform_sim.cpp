// platform_sim.cpp - the platform seam on the substitute host's state.
// Behaves as the Windows functions do where the module can tell the
// difference (failures, sizes, zero termination).
#include <cstring>
#include <string>

#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "platform/platform.h"

using hostsim::Get;

static void CopyOut(const std::string& text, char* buf, std::size_t size, std::size_t* written) {
    *written = 0;
    if (size == 0) return;
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buf, text.data(), n);
    buf[n] = 0;
    *written = n;
}

// [SECTION] Process and module

std::size_t PlatModuleFileName(PlatInstance instance, char* buf, std::size_t size) {
    const std::string& path = instance ? Get().modulePath : Get().hostPath;
    std::size_t n;
    CopyOut(path, buf, size, &n);
    return n;
}

std::uint32_t PlatCurrentThreadId() {
    return Get().currentThread;
}

std::uint32_t PlatClockMs() {
    return Get().clockMs;
}

// [SECTION] Windows

PlatWindow PlatFindWindowByClass(const char* className) {
    const auto& windows = Get().windows;
    for (std::size_t i = 0; i < windows.size(); i++) {
        if (windows[i].alive && windows[i].className == className) {
            return reinterpret_cast<PlatWindow>(i + 1);
        }
    }
    return nullptr;
}

std::size_t PlatWindowClassName(PlatWindow window, char* buf, std::size_t size) {
    const hostsim::Window* w = hostsim::WindowOf(window);
    std::size_t n = 0;
    if (w) {
        CopyOut(w->className, buf, size, &n);
    } else if (size > 0) {
        buf[0] = 0;
    }
    return n;
}

void PlatMessageBox(PlatWindow, const char* text) {
    Get().messageBoxes.push_back(text);
}

// [SECTION] Hooks

PlatHook PlatInstallHook(PlatHookKind kind, PlatHookProc proc, std::uint32_t threadId) {
    int slot = kind == kHookCallWndProc ? 1 : 0;
    if (Get().hookFails[slot]) return nullptr;
    Get().hooks[slot] = hostsim::Hook{proc, threadId};
    return reinterpret_cast<PlatHook>(std::uintptr_t(slot + 1));
}

void PlatRemoveHook(PlatHook hook) {
    std::uintptr_t slot = reinterpret_cast<std::uintptr_t>(hook);
    if (slot == 1 || slot == 2) Get().hooks[slot - 1] = hostsim::Hook{};
}

PlatResult PlatCallNextHook(PlatHook, int, PlatWParam, PlatLParam) {
    return 0;  // the module's hooks are the only ones in the chain
}

// [SECTION] Menus

PlatMenu PlatCreatePopupMenu() {
    Get().menus.push_back(hostsim::Menu{true, {}});
    return reinterpret_cast<PlatMenu>(Get().menus.size());
}

void PlatDestroyMenu(PlatMenu menu) {
    if (hostsim::Menu* m = hostsim::MenuOf(menu)) {
        // Destroying a menu destroys its submenus, as Windows does.
        for (const hostsim::MenuItem& item : m->items) {
            if (item.popup) PlatDestroyMenu(item.popup);
        }
        m->alive = false;
        m->items.clear();
    }
}

int PlatAppendMenu(PlatMenu menu, std::uint32_t flags, std::uintptr_t idOrPopup, const char* text) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    if (!m) return 0;
    hostsim::MenuItem item{flags, 0, nullptr, text ? text : ""};
    if (flags & kMenuPopup) {
        item.popup = reinterpret_cast<PlatMenu>(idOrPopup);
    } else {
        item.id = std::uint32_t(idOrPopup & 0xFFFF);
    }
    m->items.push_back(item);
    return 1;
}

PlatMenu PlatWindowMenuBar(PlatWindow window) {
    const hostsim::Window* w = hostsim::WindowOf(window);
    return w ? w->menuBar : nullptr;
}

PlatMenu PlatSubMenu(PlatMenu menu, int position) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    if (!m || position < 0 || std::size_t(position) >= m->items.size()) return nullptr;
    return m->items[std::size_t(position)].popup;
}

int PlatMenuItemCount(PlatMenu menu) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    return m ? int(m->items.size()) : -1;
}

int PlatMenuItemIsSeparator(PlatMenu menu, int position) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    if (!m || position < 0 || std::size_t(position) >= m->items.size()) return 0;
    return (m->items[std::size_t(position)].flags & kMenuSeparator) ? 1 : 0;
}

int PlatRemoveMenuItem(PlatMenu menu, int position) {
    hostsim::Menu* m = hostsim::MenuOf(menu);
    if (!m || position < 0 || std::size_t(position) >= m->items.size()) return 0;
    m->items.erase(m->items.begin() + position);
    return 1;
}

// [SECTION] Registry

static constexpr std::uintptr_t kLocalMachine = 0x80000002;

PlatRegKey PlatRegLocalMachine() {
    return reinterpret_cast<PlatRegKey>(kLocalMachine);
}

static PlatRegKey OpenHandle(const std::string& path) {
    Get().regOpenKeys.push_back(path);
    return reinterpret_cast<PlatRegKey>(Get().regOpenKeys.size());
}

static const std::string* HandlePath(PlatRegKey key) {
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(key);
    auto& open = Get().regOpenKeys;
    if (index == 0 || index > open.size() || open[index - 1].empty()) return nullptr;
    return &open[index - 1];
}

PlatRegKey PlatRegOpenKey(PlatRegKey root, const char* subkey) {
    if (reinterpret_cast<std::uintptr_t>(root) != kLocalMachine) return nullptr;
    if (Get().regAccess == hostsim::kRegDenied) return nullptr;
    hostsim::RegKey* key = hostsim::FindRegKey(subkey);
    return key ? OpenHandle(key->path) : nullptr;
}

PlatRegKey PlatRegCreateKey(PlatRegKey root, const char* subkey) {
    if (reinterpret_cast<std::uintptr_t>(root) != kLocalMachine) return nullptr;
    if (Get().regAccess != hostsim::kRegNormal) return nullptr;
    return OpenHandle(hostsim::CreateRegKey(subkey).path);
}

int PlatRegQueryValue(PlatRegKey key, const char* name, std::uint8_t* buf, std::uint32_t size) {
    const std::string* path = HandlePath(key);
    hostsim::RegKey* k = path ? hostsim::FindRegKey(*path) : nullptr;
    const hostsim::RegValue* value = k ? hostsim::FindRegValue(*k, name) : nullptr;
    if (!value || value->data.size() > size) return 0;  // missing, or ERROR_MORE_DATA
    // An empty value has no data to copy from (and no address to copy it at).
    if (!value->data.empty()) std::memcpy(buf, value->data.data(), value->data.size());
    return 1;
}

int PlatRegSetString(PlatRegKey key, const char* name, const char* text, std::uint32_t size) {
    const std::string* path = HandlePath(key);
    if (!path || Get().regAccess != hostsim::kRegNormal) return 0;
    std::string stored(text, size > 0 ? size - 1 : 0);
    hostsim::SetRegString(*path, name, stored);
    Get().regWrites.push_back(name);
    return 1;
}

void PlatRegCloseKey(PlatRegKey key) {
    std::uintptr_t index = reinterpret_cast<std::uintptr_t>(key);
    auto& open = Get().regOpenKeys;
    if (index > 0 && index <= open.size()) open[index - 1].clear();
}

// [SECTION] Host memory and host calls

int PlatHostReadable(HostAddr addr, std::uint32_t size) {
    return hostsim::Readable(addr, size) ? 1 : 0;
}

void PlatHostRead(HostAddr addr, void* out, std::uint32_t size) {
    hostsim::Read(addr, out, size);
}

void PlatHostWrite(HostAddr addr, const void* data, std::uint32_t size) {
    hostsim::Write(addr, data, size);
}

// The interface table holds call targets the substitute host answers itself.
void PlatHostReadVariable(HostAddr fn, HostVariableRequest* request) {
    if (fn == hostsim::kSimReadVariableFn) hostsim::CallReadVariable(request);
}

void PlatHostSendEvent(HostAddr fn, std::uint32_t eventId, std::uint32_t parameter) {
    if (fn == hostsim::kSimSendEventFn) hostsim::CallSendEvent(eventId, parameter);
}

// [SECTION] Cursor, client area, random numbers

int PlatCursorPos(std::int32_t* x, std::int32_t* y) {
    *x = hostsim::TheScreen().cursorX;
    *y = hostsim::TheScreen().cursorY;
    return 1;
}

int PlatClientSize(PlatWindow window, std::int32_t* width, std::int32_t* height) {
    if (!hostsim::WindowOf(window)) return 0;
    *width = hostsim::TheScreen().clientWidth;
    *height = hostsim::TheScreen().clientHeight;
    return 1;
}

int PlatScreenToClient(PlatWindow window, std::int32_t* x, std::int32_t* y) {
    if (!hostsim::WindowOf(window)) return 0;
    *x -= hostsim::TheScreen().clientX;
    *y -= hostsim::TheScreen().clientY;
    return 1;
}

int PlatRand() {
    return hostsim::NextRand();
}

// [SECTION] Common file dialogs

static std::string FilterText(const char* filter) {
    std::string text;
    if (!filter) return text;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) {
        text.append(p, std::strlen(p) + 1);
    }
    return text;
}

// The next scripted answer; as on Windows, a path that does not fit the
// buffer fails the dialog.
int PlatChooseFile(const PlatFileDialog& dialog, char* path, std::size_t size) {
    hostsim::Host& host = Get();
    host.fileDialogs.push_back(hostsim::FileDialogShown{
        dialog.owner, dialog.save != 0, dialog.title ? dialog.title : "",
        dialog.initialFolder ? dialog.initialFolder : "", FilterText(dialog.filter),
        dialog.defaultExtension ? dialog.defaultExtension : "", dialog.flags});
    if (host.fileDialogAnswers.empty()) return 0;
    hostsim::FileDialogAnswer answer = host.fileDialogAnswers.front();
    host.fileDialogAnswers.erase(host.fileDialogAnswers.begin());
    if (!answer.ok || size == 0 || answer.path.size() > size - 1) return 0;
    std::size_t n;
    CopyOut(answer.path, path, size, &n);
    return 1;
}

// [SECTION] Keyboard state and mouse capture

int PlatKeyDown(int virtualKey) {
    return (virtualKey >= 0 && virtualKey < 256 && Get().keysDown[virtualKey]) ? 1 : 0;
}

void PlatCaptureMouse(PlatWindow window) {
    Get().capture = window;
}

void PlatReleaseMouse() {
    Get().capture = nullptr;
}
