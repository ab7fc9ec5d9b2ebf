// scenario_host.cpp - the scenario commands every host runs: windows,
// loading and unloading the module, messages, menus, the module's registry
// key, files and message boxes. They see the module only from outside, as
// the simulator does, so their output is the same on every host.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/platform.h"
#include "scenario.h"

static constexpr std::uint32_t kDefaultFrameMs = 33;

static const char* DeliveryName(Delivery d) {
    switch (d) {
    case Delivery::kHost: return "host";
    case Delivery::kNull: return "null";
    default: return "nowindow";
    }
}

// WINDOW MSG [W [L]] as the send, post and peek commands take them.
struct MessageArgs {
    HostWindow window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

static bool ParseMessageArgs(Scenario& s, const Args& a, MessageArgs* m) {
    if (!ParseWindow(s, a[0], &m->window)) return false;
    if (!ParseMessage(a[1], &m->message)) return ScenarioError(s, "bad message %s", a[1].c_str());
    long long w = 0, l = 0;
    if (a.size() > 2 && !ParseNumber(a[2], &w)) return ScenarioError(s, "bad wParam %s", a[2].c_str());
    if (a.size() > 3 && !ParseNumber(a[3], &l)) return ScenarioError(s, "bad lParam %s", a[3].c_str());
    m->wParam = std::uintptr_t(w);
    m->lParam = std::intptr_t(l);
    return true;
}

static void EmitMessage(Scenario& s, const char* how, HostWindow window, std::uint32_t message,
                        std::uintptr_t w, std::intptr_t l, Delivery d) {
    Emit(s, "%s %s %s %lld %lld %s", how, Host().WindowName(window).c_str(), MessageName(message).c_str(),
         MessageParameter((long long)w), MessageParameter((long long)l), DeliveryName(d));
}

static void PumpAll(Scenario& s) {
    QueuedDelivery q;
    while (Host().PumpOne(&q)) EmitMessage(s, "post", q.window, q.message, q.wParam, q.lParam, q.delivery);
}

// [SECTION] Host set-up

static bool WindowCommand(Scenario& s, const Args& a) {
    long long menus = 0;
    if (a.size() > 2 && !ParseNumber(a[2], &menus)) return ScenarioError(s, "bad menu count %s", a[2].c_str());
    if (Host().WindowByName(a[0])) return ScenarioError(s, "window %s exists", a[0].c_str());
    return Host().AddWindow(a[0], a[1], int(menus)) ? true : ScenarioError(s, "cannot create %s", a[0].c_str());
}

static bool CloseWindowCommand(Scenario& s, const Args& a) {
    HostWindow window;
    if (!ParseWindow(s, a[0], &window) || !window) return false;
    Host().RemoveWindow(window);
    return true;
}

static bool Wait(Scenario& s, const Args& a) {
    long long ms = 0;
    if (!ParseNumber(a[0], &ms) || ms < 0) return ScenarioError(s, "bad time %s", a[0].c_str());
    Host().Wait(std::uint32_t(ms));
    return true;
}

static bool Registry(Scenario& s, const Args& a) {
    if (a[0] == "set" && a.size() == 3) {
        Host().SetRegistryText(a[1], a[2]);
    } else if (a[0] == "delete-key" && a.size() == 1) {
        Host().DeleteRegistryKey();
    } else {
        return ScenarioError(s, "registry set NAME TEXT | delete-key");
    }
    return true;
}

static bool FileCommand(Scenario& s, const Args& a) {
    std::string text;
    if (a[1].rfind("<<", 0) == 0) {
        if (!TakeHereDocument(s, a[1].substr(2), &text)) return false;
    } else {
        text = a[1];
    }
    return Host().PutFile(a[0], text) ? true : ScenarioError(s, "cannot write %s", a[0].c_str());
}

static bool DeleteFileCommand(Scenario&, const Args& a) {
    Host().RemoveFile(a[0]);
    return true;
}

// [SECTION] The module

static bool Start(Scenario&, const Args&) {
    Host().LoadModule();
    return true;
}

static bool Stop(Scenario&, const Args&) {
    Host().UnloadModule();
    return true;
}

static bool LinkageCall(Scenario& s, const Args& a) {
    if (a[0] != "init" && a[0] != "deinit") return ScenarioError(s, "linkage init|deinit");
    Host().CallLinkage(a[0] == "init");
    return true;
}

// [SECTION] Messages

static bool Send(Scenario& s, const Args& a) {
    MessageArgs m;
    if (!ParseMessageArgs(s, a, &m)) return false;
    Delivery d = Host().Send(m.window, m.message, m.wParam, m.lParam);
    EmitMessage(s, "send", m.window, m.message, m.wParam, m.lParam, d);
    return true;
}

static bool Post(Scenario& s, const Args& a) {
    MessageArgs m;
    if (!ParseMessageArgs(s, a, &m)) return false;
    Host().Post(m.window, m.message, m.wParam, m.lParam);
    PumpAll(s);
    return true;
}

static bool Peek(Scenario& s, const Args& a) {
    MessageArgs m;
    if (!ParseMessageArgs(s, a, &m)) return false;
    Host().Post(m.window, m.message, m.wParam, m.lParam);
    Delivery seen = Delivery::kNoWindow;
    Host().PeekFirst(&seen);
    EmitMessage(s, "peek", m.window, m.message, m.wParam, m.lParam, seen);
    return true;
}

static bool Pump(Scenario& s, const Args&) {
    PumpAll(s);
    return true;
}

// frame [N [MS [WINDOW]]]: N frame messages sent to the main window (or
// WINDOW), MS milliseconds passing before each.
static bool Frame(Scenario& s, const Args& a) {
    long long count = 1, ms = kDefaultFrameMs;
    if (!a.empty() && (!ParseNumber(a[0], &count) || count < 0)) return ScenarioError(s, "bad count");
    if (a.size() > 1 && (!ParseNumber(a[1], &ms) || ms < 0)) return ScenarioError(s, "bad time");
    HostWindow target = Host().WindowByName("main");
    if (a.size() > 2 && !ParseWindow(s, a[2], &target)) return false;
    long long reached = 0;
    for (long long i = 0; i < count; i++) {
        Host().Wait(std::uint32_t(ms));
        if (Host().Send(target, kMsgHostFrame, 0, 0) == Delivery::kHost) reached++;
    }
    Emit(s, "frames %lld host %lld", count, reached);
    return true;
}

static bool MenuOpen(Scenario& s, const Args&) {
    HostWindow main = Host().WindowByName("main");
    Delivery d = Host().Send(main, kMsgInitMenu, Host().MenuBar(main), 0);
    EmitMessage(s, "send", main, kMsgInitMenu, 0, 0, d);
    return true;
}

// menu-choose ID: the WM_COMMAND a menu choice posts to the main window.
static bool MenuChoose(Scenario& s, const Args& a) {
    long long id = 0;
    if (!ParseNumber(a[0], &id)) return ScenarioError(s, "bad id %s", a[0].c_str());
    Host().Post(Host().WindowByName("main"), kMsgCommand, std::uintptr_t(id), 0);
    PumpAll(s);
    return true;
}

static const ScenarioCommand kHostCommands[] = {
    {"window", 2, 3, WindowCommand, "window NAME CLASS [TOP-MENUS]"},
    {"close-window", 1, 1, CloseWindowCommand, "close-window NAME"},
    {"wait", 1, 1, Wait, "wait MS"},
    {"registry", 1, 3, Registry, "registry set NAME TEXT | delete-key"},
    {"file", 2, 2, FileCommand, "file PATH <<END | file PATH TEXT"},
    {"delete-file", 1, 1, DeleteFileCommand, "delete-file PATH"},
    {"start", 0, 0, Start, "start"},
    {"stop", 0, 0, Stop, "stop"},
    {"linkage", 1, 1, LinkageCall, "linkage init|deinit"},
    {"send", 2, 4, Send, "send WINDOW MSG [W [L]]"},
    {"post", 2, 4, Post, "post WINDOW MSG [W [L]]"},
    {"peek", 2, 4, Peek, "peek WINDOW MSG [W [L]]"},
    {"pump", 0, 0, Pump, "pump"},
    {"frame", 0, 3, Frame, "frame [N [MS [WINDOW]]]"},
    {"menu-open", 0, 0, MenuOpen, "menu-open"},
    {"menu-choose", 1, 1, MenuChoose, "menu-choose ID"},
};

ScenarioTable HostScenarioCommands() {
    return {kHostCommands, int(sizeof kHostCommands / sizeof kHostCommands[0])};
}

// [SECTION] print ...

static bool NameBefore(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) {
    return std::lexicographical_compare(a.first.begin(), a.first.end(), b.first.begin(), b.first.end(),
                                        [](char x, char y) { return std::tolower(x) < std::tolower(y); });
}

// Values by name, whatever order the host's registry keeps them in.
static bool PrintRegistry(Scenario& s, const Args&) {
    std::vector<std::pair<std::string, std::string>> values;
    if (!Host().RegistryValues(&values)) {
        Emit(s, "registry key absent");
        return true;
    }
    std::sort(values.begin(), values.end(), NameBefore);
    for (const auto& [name, text] : values) Emit(s, "registry %s %s", name.c_str(), Quote(text).c_str());
    Emit(s, "registry values %u", unsigned(values.size()));
    return true;
}

static void PrintMenuTree(Scenario& s, HostMenu menu, const std::string& prefix, int depth) {
    if (depth > 4) return;
    std::vector<MenuItemView> items = Host().MenuItems(menu);
    for (std::size_t i = 0; i < items.size(); i++) {
        const MenuItemView& item = items[i];
        std::string at = prefix + std::to_string(i + 1);
        if (item.kind == MenuItemView::kSeparator) {
            Emit(s, "menu %s separator", at.c_str());
        } else if (item.kind == MenuItemView::kPopup) {
            Emit(s, "menu %s popup %s", at.c_str(), Quote(item.text).c_str());
            PrintMenuTree(s, item.popup, at + ".", depth + 1);
        } else {
            Emit(s, "menu %s item %u %s%s", at.c_str(), item.id, Quote(item.text).c_str(),
                 item.checked ? " checked" : "");
        }
    }
}

// print menu [N [WINDOW]]: the menu bar of the main window (or of WINDOW),
// or only its N-th top-level menu; N = 0 is the whole bar.
static bool PrintMenu(Scenario& s, const Args& a) {
    HostWindow window = Host().WindowByName("main");
    if (a.size() > 1 && !ParseWindow(s, a[1], &window)) return false;
    HostMenu bar = window ? Host().MenuBar(window) : 0;
    if (!bar) {
        Emit(s, "menu none");
        return true;
    }
    long long n = 0;
    if (!a.empty() && (!ParseNumber(a[0], &n) || n < 0)) return ScenarioError(s, "bad menu number %s", a[0].c_str());
    if (n == 0) {
        PrintMenuTree(s, bar, "", 0);
        return true;
    }
    std::vector<MenuItemView> top = Host().MenuItems(bar);
    if (std::size_t(n) > top.size() || top[std::size_t(n - 1)].kind != MenuItemView::kPopup) {
        Emit(s, "menu %lld none", n);
        return true;
    }
    PrintMenuTree(s, top[std::size_t(n - 1)].popup, std::to_string(n) + ".", 1);
    return true;
}

static bool PrintMessageBoxes(Scenario& s, const Args&) {
    std::vector<std::string> boxes = Host().MessageBoxes();
    for (const std::string& text : boxes) Emit(s, "msgbox %s", Quote(text).c_str());
    Emit(s, "msgboxes %u", unsigned(boxes.size()));
    return true;
}

static bool PrintFile(Scenario& s, const Args& a) {
    std::string text;
    if (!Host().GetFile(a[0], &text)) {
        Emit(s, "file %s absent", a[0].c_str());
        return true;
    }
    std::size_t lines = 0, start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        Emit(s, "file-line %u %s", unsigned(++lines), Quote(line).c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    Emit(s, "file %s bytes %u lines %u", a[0].c_str(), unsigned(text.size()), unsigned(lines));
    return true;
}

static const ScenarioCommand kHostPrints[] = {
    {"registry", 0, 0, PrintRegistry, "print registry"},
    {"menu", 0, 2, PrintMenu, "print menu [N [WINDOW]]"},
    {"msgboxes", 0, 0, PrintMessageBoxes, "print msgboxes"},
    {"file", 1, 1, PrintFile, "print file PATH"},
};

ScenarioTable HostPrintCommands() {
    return {kHostPrints, int(sizeof kHostPrints / sizeof kHostPrints[0])};
}
