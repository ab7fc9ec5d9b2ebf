// host_driver.h - what a scenario asks of a host. Two hosts answer: the
// substitute host in skyvane-sim (hostsim/ with the module linked in) and
// fs9host.exe, the Windows host that loads the real DLL under wine. The
// commands written against this interface run the same on both, so the two
// outputs of one scenario can be compared.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using HostWindow = std::uintptr_t;  // 0: no window
using HostMenu = std::uintptr_t;    // 0: no menu

enum class Delivery {
    kHost,      // the window procedure received the message unchanged
    kNull,      // the host received a null message instead
    kNoWindow,  // the message went to no window
};

struct QueuedDelivery {
    HostWindow window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    Delivery delivery;
};

struct MenuItemView {
    enum Kind { kItem, kSeparator, kPopup } kind;
    std::uint32_t id;
    bool checked;
    std::string text;
    HostMenu popup;
};

class HostDriver {
public:
    virtual ~HostDriver() = default;

    // Windows, by the scenario's names ("main", "child", ...).
    virtual HostWindow WindowByName(const std::string& name) = 0;
    virtual std::string WindowName(HostWindow window) = 0;
    virtual bool AddWindow(const std::string& name, const std::string& className, int topMenus) = 0;
    virtual void RemoveWindow(HostWindow window) = 0;

    // The module: process attach and detach, and the host's Linkage calls.
    virtual void LoadModule() = 0;
    virtual void UnloadModule() = 0;
    virtual void CallLinkage(bool init) = 0;

    // Messages on the user-interface thread.
    virtual Delivery Send(HostWindow window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) = 0;
    virtual void Post(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Peek at the first queued message without removing it.
    virtual bool PeekFirst(Delivery* seen) = 0;
    // Take and dispatch the first queued message.
    virtual bool PumpOne(QueuedDelivery* taken) = 0;
    // Let time pass: the substitute host advances its clock, a real one sleeps.
    virtual void Wait(std::uint32_t ms) = 0;

    // Menus.
    virtual HostMenu MenuBar(HostWindow window) = 0;
    virtual std::vector<MenuItemView> MenuItems(HostMenu menu) = 0;

    // The module's registry key.
    virtual void SetRegistryText(const std::string& name, const std::string& text) = 0;
    virtual void DeleteRegistryKey() = 0;
    // Values in the host's order; false when the key does not exist.
    virtual bool RegistryValues(std::vector<std::pair<std::string, std::string>>* values) = 0;

    // Files by Windows path.
    virtual bool PutFile(const std::string& path, const std::string& text) = 0;
    virtual bool GetFile(const std::string& path, std::string* text) = 0;
    virtual void RemoveFile(const std::string& path) = 0;

    // Texts of the message boxes shown so far.
    virtual std::vector<std::string> MessageBoxes() = 0;

    // The simulator's process (hostsim/host_process.h) is the same code in
    // both hosts; these are what each host must do beyond it.
    // Place the windows so that the main window's client area is the
    // process's (hostsim::TheScreen()); false when the host cannot.
    virtual bool PlaceClientArea() = 0;
    // The values rand() gives the module next; false when the host cannot.
    virtual bool FeedRand(const std::vector<int>& values) = 0;
    // What the user does in the next file dialog: choose path, or cancel.
    virtual void AnswerFileDialog(bool ok, const std::string& path) = 0;
};

HostDriver& Host();
void SetHost(HostDriver* driver);
