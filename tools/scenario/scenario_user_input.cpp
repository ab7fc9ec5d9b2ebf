// scenario_user_input.cpp - the user's keys and mouse through the host's
// queue, shared by both hosts: key presses and releases, mouse buttons,
// motion and the wheel, each posted to a window and pumped, one "post" line
// per delivery. The cursor is the process's (hostsim/host_process.h), which
// the module reads on both hosts.
#include <cstdint>
#include <string>

#include "hostsim/host_process.h"
#include "platform/platform.h"
#include "scenario.h"

// [SECTION] Arguments

struct VirtualKeyName {
    const char* name;
    int code;
};

static const VirtualKeyName kVirtualKeyNames[] = {
    {"SHIFT", 0x10}, {"CONTROL", 0x11}, {"ALT", 0x12}, {"ESCAPE", 0x1B},
};

// Names are tried before numbers, so "5" is the key 5 (0x35), not code 5.
static bool NamedKey(const std::string& t, int* vk) {
    for (const VirtualKeyName& k : kVirtualKeyNames) {
        if (t == k.name) return *vk = k.code, true;
    }
    if (t.size() == 1 && ((t[0] >= 'A' && t[0] <= 'Z') || (t[0] >= '0' && t[0] <= '9'))) return *vk = t[0], true;
    if (t.size() == 7 && t.compare(0, 6, "NUMPAD") == 0 && t[6] >= '0' && t[6] <= '9') {
        return *vk = 0x60 + (t[6] - '0'), true;
    }
    if (t.size() >= 2 && t.size() <= 3 && t[0] == 'F') {
        long long n = 0;
        if (ParseNumber(t.substr(1), &n) && n >= 1 && n <= 12) return *vk = 0x70 + int(n - 1), true;
    }
    return false;
}

bool ParseVirtualKey(Scenario& s, const std::string& text, int* vk) {
    if (NamedKey(text, vk)) return true;
    long long n = 0;
    if (ParseNumber(text, &n) && n >= 0 && n < 256) return *vk = int(n), true;
    return ScenarioError(s, "bad virtual key %s", text.c_str());
}

static bool ParseButton(Scenario& s, const std::string& text, bool down, std::uint32_t* message,
                        std::uintptr_t* flag) {
    if (text == "left") *message = down ? kMsgLButtonDown : kMsgLButtonUp, *flag = 0x01;
    else if (text == "right") *message = down ? kMsgRButtonDown : kMsgRButtonUp, *flag = 0x02;
    else if (text == "middle") *message = down ? kMsgMButtonDown : kMsgMButtonUp, *flag = 0x10;
    else return ScenarioError(s, "button left|right|middle, not %s", text.c_str());
    if (!down) *flag = 0;
    return true;
}

// Two 16-bit halves as a window message packs a point.
static std::intptr_t PackPoint(std::int32_t x, std::int32_t y) {
    return std::intptr_t((std::uint32_t(std::uint16_t(y)) << 16) | std::uint16_t(x));
}

static std::intptr_t CursorInClient() {
    const hostsim::Screen& screen = hostsim::TheScreen();
    return PackPoint(screen.cursorX - screen.clientX, screen.cursorY - screen.clientY);
}

// [SECTION] Delivery

static const char* DeliveryName(Delivery d) {
    switch (d) {
    case Delivery::kHost: return "host";
    case Delivery::kNull: return "null";
    default: return "nowindow";
    }
}

// Post one message and print every delivery the queue makes, as "post" does.
static void PostAndPump(Scenario& s, HostWindow window, std::uint32_t message, std::uintptr_t w,
                        std::intptr_t l) {
    Host().Post(window, message, w, l);
    QueuedDelivery q;
    while (Host().PumpOne(&q)) {
        Emit(s, "post %s %s %lld %lld %s", Host().WindowName(q.window).c_str(), MessageName(q.message).c_str(),
             MessageParameter((long long)q.wParam), MessageParameter((long long)q.lParam), DeliveryName(q.delivery));
    }
}

// [SECTION] Commands

// press WINDOW VK [REPEAT]: the first press, then auto-repeat copies
// flagged as such (bit 30: the key was already down).
static bool PressCommand(Scenario& s, const Args& a) {
    HostWindow window = 0;
    int vk = 0;
    long long repeat = 1;
    if (!ParseWindow(s, a[0], &window) || !ParseVirtualKey(s, a[1], &vk)) return false;
    if (a.size() > 2 && (!ParseNumber(a[2], &repeat) || repeat < 1)) {
        return ScenarioError(s, "bad repeat count %s", a[2].c_str());
    }
    for (long long i = 0; i < repeat; i++) {
        PostAndPump(s, window, kMsgKeyDown, std::uintptr_t(vk), i == 0 ? 1 : 0x40000001);
    }
    return true;
}

static bool ReleaseCommand(Scenario& s, const Args& a) {
    HostWindow window = 0;
    int vk = 0;
    if (!ParseWindow(s, a[0], &window) || !ParseVirtualKey(s, a[1], &vk)) return false;
    PostAndPump(s, window, kMsgKeyUp, std::uintptr_t(vk), std::intptr_t(0xC0000001u));
    return true;
}

static bool Button(Scenario& s, const Args& a, bool down) {
    HostWindow window = 0;
    std::uint32_t message = 0;
    std::uintptr_t flag = 0;
    if (!ParseWindow(s, a[0], &window) || !ParseButton(s, a[1], down, &message, &flag)) return false;
    PostAndPump(s, window, message, flag, CursorInClient());
    return true;
}

static bool ClickCommand(Scenario& s, const Args& a) { return Button(s, a, true); }
static bool UnclickCommand(Scenario& s, const Args& a) { return Button(s, a, false); }

static bool MouseMoveCommand(Scenario& s, const Args& a) {
    HostWindow window = 0;
    long long x = 0, y = 0;
    if (!ParseWindow(s, a[0], &window)) return false;
    if (!ParseNumber(a[1], &x) || !ParseNumber(a[2], &y)) return ScenarioError(s, "mouse-move WINDOW X Y");
    hostsim::TheScreen().cursorX = std::int32_t(x);
    hostsim::TheScreen().cursorY = std::int32_t(y);
    PostAndPump(s, window, kMsgMouseMove, 0, CursorInClient());
    return true;
}

// The wheel's message carries screen coordinates and the turn in the high word.
static bool WheelCommand(Scenario& s, const Args& a) {
    HostWindow window = 0;
    long long notches = 0;
    if (!ParseWindow(s, a[0], &window)) return false;
    if (!ParseNumber(a[1], &notches) || notches < -273 || notches > 273) {
        return ScenarioError(s, "wheel WINDOW NOTCHES (-273..273)");
    }
    const std::uintptr_t w = std::uintptr_t(std::uint16_t(std::int16_t(notches * 120))) << 16;
    const hostsim::Screen& screen = hostsim::TheScreen();
    PostAndPump(s, window, kMsgMouseWheel, w, PackPoint(screen.cursorX, screen.cursorY));
    return true;
}

static const ScenarioCommand kUserInputCommands[] = {
    {"press", 2, 3, PressCommand, "press WINDOW VK [REPEAT]"},
    {"release", 2, 2, ReleaseCommand, "release WINDOW VK"},
    {"click", 2, 2, ClickCommand, "click WINDOW left|right|middle"},
    {"unclick", 2, 2, UnclickCommand, "unclick WINDOW left|right|middle"},
    {"mouse-move", 3, 3, MouseMoveCommand, "mouse-move WINDOW X Y"},
    {"wheel", 2, 2, WheelCommand, "wheel WINDOW NOTCHES"},
};

ScenarioTable UserInputCommands() {
    return {kUserInputCommands, int(sizeof kUserInputCommands / sizeof kUserInputCommands[0])};
}
