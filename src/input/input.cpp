// input.cpp - input interpretation: key, button and joystick events through
// the bindings; mouse look, mouse move, spot control and the wheel directly.
// Runs inside the message hooks: nothing allocates, throws or logs.
#include "input/input.h"

#include <cstring>

#include "camera/geometry.h"
#include "host/host_access.h"
#include "host/host_records.h"
#include "input/head_tracking.h"
#include "pilotview/pilot_view.h"

namespace {

// A table of the layer's own, matched first; nothing fills it.
KeyBinding g_ownBindings[32];
KeyBindingTable g_ownTable = {32, 0, g_ownBindings};

constexpr double kZoomMin = 0.25;
constexpr double kZoomMax = 32.0;
constexpr double kSpotDistanceMin = 1.524;
constexpr double kSpotDistanceMax = 121.92;

struct InputEvent {
    int keyCode;
    int modifiers;
    int down;
};

bool ClassIs(PlatWindow window, const char* name) {
    char buf[128] = {};
    PlatWindowClassName(window, buf, sizeof buf);
    return std::strcmp(buf, name) == 0;
}

bool IsMouseMessage(std::uint32_t m) {
    return m == kMsgMouseMove || m == kMsgMouseWheel || m == kMsgLButtonDown || m == kMsgLButtonUp ||
           m == kMsgRButtonDown || m == kMsgRButtonUp || m == kMsgMButtonDown || m == kMsgMButtonUp;
}

bool IsKeyMessage(std::uint32_t m) {
    return m == kMsgKeyDown || m == kMsgKeyUp || m == kMsgJoystickButtonDown || m == kMsgJoystickButtonUp;
}

bool IsButtonPress(std::uint32_t m) {
    return m == kMsgLButtonDown || m == kMsgRButtonDown || m == kMsgMButtonDown;
}

bool IsButtonRelease(std::uint32_t m) {
    return m == kMsgLButtonUp || m == kMsgRButtonUp || m == kMsgMButtonUp;
}

int Modifiers() {
    return (PlatKeyDown(kVirtualKeyShift) ? 1 : 0) | (PlatKeyDown(kVirtualKeyControl) ? 2 : 0) |
           (PlatKeyDown(kVirtualKeyAlt) ? 4 : 0);
}

InputEvent BuildEvent(std::uint32_t message, PlatWParam wParam) {
    InputEvent e = {0, Modifiers(), 0};
    switch (message) {
    case kMsgKeyDown: case kMsgJoystickButtonDown: e.keyCode = int(wParam), e.down = 1; break;
    case kMsgKeyUp: case kMsgJoystickButtonUp: e.keyCode = int(wParam); break;
    case kMsgLButtonDown: e.keyCode = kKeyCodeMouseLeft, e.down = 1; break;
    case kMsgLButtonUp: e.keyCode = kKeyCodeMouseLeft; break;
    case kMsgRButtonDown: e.keyCode = kKeyCodeMouseRight, e.down = 1; break;
    case kMsgRButtonUp: e.keyCode = kKeyCodeMouseRight; break;
    case kMsgMButtonDown: e.keyCode = kKeyCodeMouseMiddle, e.down = 1; break;
    case kMsgMButtonUp: e.keyCode = kKeyCodeMouseMiddle; break;
    default: break;
    }
    return e;
}

// Type of the active host view; false when there is none.
bool ActiveViewType(HostgateContext* g, HostAddr* view, std::int32_t* type) {
    *view = FindActiveHostView(g);
    if (*view == 0) return false;
    PlatHostRead(*view + kViewType, type, sizeof *type);
    return true;
}

bool InputViewType(std::int32_t type) {
    return type == kViewTypeVirtualCockpit || type == kViewTypeSpot || type == kViewTypeWalker;
}

double Clamp(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

const PilotFlagName kPilotFlags[kPilotFlagCount] = {
    {"PilotForward", &HostgateContext::pilotForward},     {"PilotBackward", &HostgateContext::pilotBackward},
    {"PilotStepRight", &HostgateContext::pilotStepRight}, {"PilotStepLeft", &HostgateContext::pilotStepLeft},
    {"PilotHeadUp", &HostgateContext::pilotHeadUp},       {"PilotHeadDown", &HostgateContext::pilotHeadDown},
    {"PilotHeadRight", &HostgateContext::pilotHeadRight}, {"PilotHeadLeft", &HostgateContext::pilotHeadLeft},
    {"PilotTiltRight", &HostgateContext::pilotTiltRight}, {"PilotTiltLeft", &HostgateContext::pilotTiltLeft},
    {"PilotUp", &HostgateContext::pilotUp},               {"PilotDown", &HostgateContext::pilotDown},
    {"PilotCrouch", &HostgateContext::pilotCrouch},
};

namespace {

// Switching a mouse mode off forgets the cursor, so the next motion only records.
int ToggleMouseMode(HostgateContext* g, int* on) {
    *on = !*on;
    if (!*on) g->lastCursorX = 0, g->lastCursorY = 0;
    return 1;
}

int RunOrDispatch(HostgateContext* g, KeyBinding* b, PlatWindow window, std::uint32_t message,
                  PlatWParam wParam, PlatLParam lParam) {
    int result = RunInputCommand(g, b, window, message, wParam, lParam);
    if (result == 0 && g->commandDispatch) result = g->commandDispatch(0, 0, b);
    return result;
}

// One binding against one event; 1 when it fired or consumed the event.
int MatchOne(HostgateContext* g, KeyBinding* b, PlatWindow window, std::uint32_t message, PlatWParam wParam,
             PlatLParam lParam, int down) {
    if (down) {
        if (b->active) return 1;
        int result = RunOrDispatch(g, b, window, message, wParam, lParam);
        if (result != 0) {
            b->active = 1;
            if (!b->doubleFlag) b->rearm = 1;
        }
        return result != 0 ? 1 : 0;
    }
    if (!b->active) return 0;
    if (b->doubleFlag) RunOrDispatch(g, b, window, message, wParam, lParam);
    b->active = 0, b->rearm = 0;
    return 1;
}

void SyncTargets(HostgateContext* g) {
    g->eyeTarget[0] = g->eyeX, g->eyeTarget[1] = g->eyeY, g->eyeTarget[2] = g->eyeZ;
    g->headTarget[0] = g->headPitch, g->headTarget[1] = g->headHeading, g->headTarget[2] = g->headBank;
    g->zoomTarget = g->zoom;
}

void CockpitMotion(HostgateContext* g, double dx, double dy) {
    if (g->mouseLookOn) {
        g->headHeading += dx * 0.15 / g->zoom;
        g->headPitch += dy * 0.15 / g->zoom;
    } else {
        Vec3 step = {dx * 0.1, 0.0, -dy * 0.1};
        RotateX(&step, g->headPitch * kDegToRad);
        RotateY(&step, g->headHeading * kDegToRad);
        g->eyeX += step.x, g->eyeY += step.y, g->eyeZ += step.z;
    }
    SyncTargets(g);
}

int MouseMotion(HostgateContext* g) {
    HostAddr view;
    std::int32_t type = 0;
    if (!ActiveViewType(g, &view, &type) || !InputViewType(type)) return 0;
    if (!g->mouseLookOn && !g->mouseMoveOn) return 0;
    std::int32_t x = 0, y = 0;
    PlatCursorPos(&x, &y);
    if (g->lastCursorX == 0 && g->lastCursorY == 0) {
        g->lastCursorX = x, g->lastCursorY = y;
        return 1;
    }
    // In doubles: a jump across the whole int32 range does not fit an int32.
    const double dx = double(x) - double(g->lastCursorX), dy = double(y) - double(g->lastCursorY);
    if (g->walkerActive) {
        g->walkerHeading += dx * 0.15 / g->zoom;
        g->walkerPitch += dy * 0.15 / g->zoom;
    } else if (type == kViewTypeVirtualCockpit) {
        CockpitMotion(g, dx, dy);
    } else if (type == kViewTypeSpot && g->useMouseInSpot) {
        g->spotHeading += dx * 0.3;
        g->spotPitch -= dy * 0.3;
    }
    UpdatePilotView(g, 0);
    g->lastCursorX = x, g->lastCursorY = y;
    return 1;
}

double ZoomedBy(double zoom, double n) {
    return Clamp(zoom + zoom * 0.2 * n, kZoomMin, kZoomMax);
}

int MouseWheel(HostgateContext* g, PlatWParam wParam) {
    HostAddr view;
    std::int32_t type = 0;
    if (!ActiveViewType(g, &view, &type)) return 0;
    const double n = double(std::int16_t(std::uint16_t((wParam >> 16) & 0xFFFF))) / 120.0;
    if (type == kViewTypeVirtualCockpit && g->wheelZoomEnabled) {
        g->zoom = ZoomedBy(g->zoom, n);
        SyncTargets(g);
        UpdatePilotView(g, 0);
    } else if (type == kViewTypeSpot && g->useMouseInSpot) {
        if (PlatKeyDown(kVirtualKeyShift)) {
            g->spotDistance = Clamp(g->spotDistance + n * -2.0, kSpotDistanceMin, kSpotDistanceMax);
        } else {
            g->spotZoom = ZoomedBy(g->zoom, n);
        }
        UpdatePilotView(g, 0);
    } else if (type == kViewTypeWalker && g->walkerActive) {
        g->walkerZoom = ZoomedBy(g->zoom, n);
    }
    return 1;
}

}  // namespace

int RunInputCommand(HostgateContext* g, KeyBinding* binding, PlatWindow, std::uint32_t, PlatWParam, PlatLParam) {
    HostAddr view;
    std::int32_t type = 0;
    if (!ActiveViewType(g, &view, &type) || !InputViewType(type)) return 0;
    const char* name = binding->name;
    if (std::strcmp(name, "ToggleMouseLook") == 0) return ToggleMouseMode(g, &g->mouseLookOn);
    if (std::strcmp(name, "ToggleMouseMove") == 0) return ToggleMouseMode(g, &g->mouseMoveOn);
    if (std::strcmp(name, "TogglePilot") == 0) {
        g->walkerActive = !g->walkerActive;
        return 1;
    }
    if (std::strcmp(name, "ToggleHeadTracking") == 0) {
        ToggleHeadTracker(&g_headTracker);
        return 1;
    }
    if (std::strcmp(name, "RecentreHeadTracking") == 0) {
        RecentreHeadTracker(&g_headTracker);
        return 1;
    }
    for (const PilotFlagName& f : kPilotFlags) {
        if (std::strcmp(name, f.name) == 0) {
            g->*(f.flag) = !(g->*(f.flag));
            return 1;
        }
    }
    return 0;  // "ButtonClickLeft", "ButtonClickRight" and unknown names included
}

int MatchBindings(HostgateContext* g, KeyBindingTable* table, PlatWindow window, std::uint32_t message,
                  PlatWParam wParam, PlatLParam lParam, int keyCode, int modifiers, int down) {
    if (!table) return 0;
    int result = 0;
    for (int i = 0; i < table->count && i < table->capacity; i++) {
        KeyBinding* b = &table->bindings[i];
        if (b->keyCode != keyCode || b->modifiers != modifiers) continue;
        if (b->rearm && down) b->active = 0;
        if (MatchOne(g, b, window, message, wParam, lParam, down)) result = 1;
    }
    return result;
}

int InterpretInput(HostgateContext* g, PlatWindow window, std::uint32_t message, PlatWParam wParam,
                   PlatLParam lParam) {
    if (IsMouseMessage(message) && !ClassIs(window, "FS98CHILD")) return 0;
    if (IsKeyMessage(message) && !ClassIs(window, "FS98MAIN") && !ClassIs(window, "FS98CHILD")) return 0;
    if (message == kMsgMouseMove) return MouseMotion(g);
    if (message == kMsgMouseWheel) return MouseWheel(g, wParam);
    const InputEvent e = BuildEvent(message, wParam);
    int result = MatchBindings(g, &g_ownTable, window, message, wParam, lParam, e.keyCode, e.modifiers, e.down);
    const int second = MatchBindings(g, g->keyBindingTable, window, message, wParam, lParam, e.keyCode,
                                     e.modifiers, e.down);
    if (second != 0) result = second;
    if (result != 0 && IsButtonPress(message)) PlatCaptureMouse(window);
    if (result != 0 && IsButtonRelease(message)) PlatReleaseMouse();
    return result;
}

int SetActiveViewVirtualCockpit(HostgateContext* g) {
    const HostAddr view = FindActiveHostView(g);
    if (view == 0) return 0;
    const std::int32_t type = kViewTypeVirtualCockpit;
    PlatHostWrite(view + kViewType, &type, sizeof type);
    return 1;
}
