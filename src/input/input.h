// input.h - interpretation of keyboard, mouse and joystick input.
#pragma once

#include "host/hostgate.h"
#include "platform/platform.h"

// Nonzero when the message was consumed and must not reach the host.
int InterpretInput(HostgateContext* g, PlatWindow window, std::uint32_t message,
                   PlatWParam wParam, PlatLParam lParam);
// Make the host's active view the virtual cockpit; 0 when there is no active view.
int SetActiveViewVirtualCockpit(HostgateContext* g);
