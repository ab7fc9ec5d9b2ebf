// pilot_view.cpp - the cockpit pilot view engine; not built yet, so the
// module does not drive the cockpit view.
#include "pilotview/pilot_view.h"

int UpdatePilotView(HostgateContext*, int) {
    return 0;
}
