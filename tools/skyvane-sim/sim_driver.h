// sim_driver.h - the scenario host on the substitute host.
#pragma once

#include "host_driver.h"

class SimDriver final : public HostDriver {
public:
    HostWindow WindowByName(const std::string& name) override;
    std::string WindowName(HostWindow window) override;
    bool AddWindow(const std::string& name, const std::string& className, int topMenus) override;
    void RemoveWindow(HostWindow window) override;
    void LoadModule() override;
    void UnloadModule() override;
    void CallLinkage(bool init) override;
    Delivery Send(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void Post(HostWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool PeekFirst(Delivery* seen) override;
    bool PumpOne(QueuedDelivery* taken) override;
    void Wait(std::uint32_t ms) override;
    HostMenu MenuBar(HostWindow window) override;
    std::vector<MenuItemView> MenuItems(HostMenu menu) override;
    void SetRegistryText(const std::string& name, const std::string& text) override;
    void DeleteRegistryKey() override;
    bool RegistryValues(std::vector<std::pair<std::string, std::string>>* values) override;
    bool PutFile(const std::string& path, const std::string& text) override;
    bool GetFile(const std::string& path, std::string* text) override;
    void RemoveFile(const std::string& path) override;
    std::vector<std::string> MessageBoxes() override;
    bool PlaceClientArea() override;
    bool FeedRand(const std::vector<int>& values) override;
    void AnswerFileDialog(bool ok, const std::string& path) override;
};
