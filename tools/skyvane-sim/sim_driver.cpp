// sim_driver.cpp - the scenario host on the substitute host, with the module
// linked in.
#include "sim_driver.h"

#include <fstream>
#include <sstream>

#include "hostsim/host_process.h"
#include "hostsim/hostsim.h"
#include "hostsim/sim_dialogs.h"
#include "shell/module_exports.h"
#include "shell/settings.h"

static PlatWindow W(HostWindow window) {
    return reinterpret_cast<PlatWindow>(window);
}

static Delivery FromSim(hostsim::Delivery d) {
    switch (d) {
    case hostsim::kDeliveredToHost: return Delivery::kHost;
    case hostsim::kDeliveredNull: return Delivery::kNull;
    default: return Delivery::kNoWindow;
    }
}

HostWindow SimDriver::WindowByName(const std::string& name) {
    return reinterpret_cast<HostWindow>(hostsim::FindWindowByName(name));
}

std::string SimDriver::WindowName(HostWindow window) {
    const hostsim::Window* w = hostsim::WindowOf(W(window));
    return w ? w->name : "none";
}

bool SimDriver::AddWindow(const std::string& name, const std::string& className, int topMenus) {
    return hostsim::CreateWindow(name, className, topMenus) != nullptr;
}

void SimDriver::RemoveWindow(HostWindow window) {
    hostsim::Get().windows[window - 1].alive = false;
}

void SimDriver::LoadModule() {
    hostsim::LoadModule();
}

void SimDriver::UnloadModule() {
    hostsim::UnloadModule();
}

void SimDriver::CallLinkage(bool init) {
    (init ? Linkage.init : Linkage.deinit)();
}

void MapAfterFrame();

Delivery SimDriver::Send(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Delivery d = FromSim(hostsim::SendMessage(W(window), message, wParam, lParam));
    if (message == kMsgHostFrame) MapAfterFrame();
    return d;
}

void SimDriver::Post(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    hostsim::PostMessage(W(window), message, wParam, lParam);
}

bool SimDriver::PeekFirst(Delivery* seen) {
    hostsim::Delivery d;
    if (!hostsim::PeekFirst(&d)) return false;
    *seen = FromSim(d);
    return true;
}

bool SimDriver::PumpOne(QueuedDelivery* taken) {
    hostsim::QueuedMessage m;
    hostsim::Delivery d;
    if (!hostsim::PumpOne(&m, &d)) return false;
    *taken = QueuedDelivery{reinterpret_cast<HostWindow>(m.window), m.message, m.wParam, m.lParam, FromSim(d)};
    return true;
}

// Time passes for the aircraft too, and an open dialog's timers fire.
void SimDriver::Wait(std::uint32_t ms) {
    hostsim::Get().clockMs += ms;
    hostsim::Fly(ms / 1000.0);
    hostsim::RunDialogTimers();
}

HostMenu SimDriver::MenuBar(HostWindow window) {
    const hostsim::Window* w = hostsim::WindowOf(W(window));
    return w ? reinterpret_cast<HostMenu>(w->menuBar) : 0;
}

std::vector<MenuItemView> SimDriver::MenuItems(HostMenu menu) {
    std::vector<MenuItemView> items;
    const hostsim::Menu* m = hostsim::MenuOf(reinterpret_cast<PlatMenu>(menu));
    if (!m) return items;
    for (const hostsim::MenuItem& item : m->items) {
        MenuItemView view{MenuItemView::kItem, item.id, (item.flags & kMenuChecked) != 0, item.text, 0};
        if (item.flags & kMenuSeparator) view.kind = MenuItemView::kSeparator;
        if (item.flags & kMenuPopup) {
            view.kind = MenuItemView::kPopup;
            view.popup = reinterpret_cast<HostMenu>(item.popup);
        }
        items.push_back(view);
    }
    return items;
}

void SimDriver::SetRegistryText(const std::string& name, const std::string& text) {
    hostsim::SetRegString(kSettingsKey, name, text);
}

void SimDriver::DeleteRegistryKey() {
    auto& keys = hostsim::Get().regKeys;
    for (std::size_t i = keys.size(); i-- > 0;) {
        if (hostsim::FindRegKey(kSettingsKey) == &keys[i]) keys.erase(keys.begin() + long(i));
    }
}

bool SimDriver::RegistryValues(std::vector<std::pair<std::string, std::string>>* values) {
    const hostsim::RegKey* key = hostsim::FindRegKey(kSettingsKey);
    if (!key) return false;
    for (const hostsim::RegValue& value : key->values) {
        std::string text(value.data.begin(), value.data.end());
        // REG_SZ text ends at its terminator, as a reader of the key sees it.
        std::size_t end = text.find('\0');
        if (end != std::string::npos) text.resize(end);
        values->emplace_back(value.name, text);
    }
    return true;
}

bool SimDriver::PutFile(const std::string& path, const std::string& text) {
    hostsim::MakeParentFolders(path);
    std::ofstream out(hostsim::RealPath(path), std::ios::binary);
    out << text;
    return bool(out);
}

bool SimDriver::GetFile(const std::string& path, std::string* text) {
    std::ifstream in(hostsim::RealPath(path), std::ios::binary);
    if (!in) return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return true;
}

void SimDriver::RemoveFile(const std::string& path) {
    std::remove(hostsim::RealPath(path).c_str());
}

std::vector<std::string> SimDriver::MessageBoxes() {
    return hostsim::Get().messageBoxes;
}

// The substitute host's windows all report the process's client area.
bool SimDriver::PlaceClientArea() {
    return true;
}

bool SimDriver::FeedRand(const std::vector<int>& values) {
    hostsim::FeedRand(values);
    return true;
}

void SimDriver::AnswerFileDialog(bool ok, const std::string& path) {
    hostsim::Get().fileDialogAnswers.push_back(hostsim::FileDialogAnswer{ok, ok ? path : ""});
}
