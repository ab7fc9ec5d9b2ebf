// input.h - interpretation of keyboard, mouse and joystick input.
#pragma once

#include "host/hostgate.h"
#include "input/key_bindings.h"
#include "platform/platform.h"

// Mouse buttons take key codes after the keyboard's.
inline constexpr int kKeyCodeMouseLeft = 1000;
inline constexpr int kKeyCodeMouseRight = 1001;
inline constexpr int kKeyCodeMouseMiddle = 1002;

// Nonzero when the message was consumed and must not reach the host.
int InterpretInput(HostgateContext* g, PlatWindow window, std::uint32_t message,
                   PlatWParam wParam, PlatLParam lParam);
// 1 when a binding of the table fired or consumed the event.
int MatchBindings(HostgateContext* g, KeyBindingTable* table, PlatWindow window, std::uint32_t message,
                  PlatWParam wParam, PlatLParam lParam, int keyCode, int modifiers, int down);
// Runs the input layer's own commands; 0 when the name is not one of them
// or the active view does not allow them.
int RunInputCommand(HostgateContext* g, KeyBinding* binding, PlatWindow window, std::uint32_t message,
                    PlatWParam wParam, PlatLParam lParam);
// Make the host's active view the virtual cockpit; 0 when there is no active view.
int SetActiveViewVirtualCockpit(HostgateContext* g);

// The thirteen pilot motion flags by their command names.
struct PilotFlagName {
    const char* name;
    int HostgateContext::*flag;
};
inline constexpr int kPilotFlagCount = 13;
extern const PilotFlagName kPilotFlags[kPilotFlagCount];
