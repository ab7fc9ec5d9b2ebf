// input.cpp - input interpretation. Bindings, mouse look and the wheel arrive
// with the input layer; until then nothing is consumed.
#include "input/input.h"

int InterpretInput(HostgateContext*, PlatWindow, std::uint32_t, PlatWParam, PlatLParam) {
    return 0;
}

int SetActiveViewVirtualCockpit(HostgateContext*) {
    return 0;
}
