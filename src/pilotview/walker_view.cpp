// walker_view.cpp - the walker view; not built yet, so the pilot never leaves
// the aircraft.
#include "pilotview/walker_view.h"

int UpdateWalkerView(HostgateContext*) {
    return 0;
}
