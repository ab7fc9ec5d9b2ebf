// pilot_view.h - the cockpit pilot view engine.
#pragma once

#include "host/hostgate.h"

// 1 when it drove or examined a view, 0 when there is none or of another type.
int UpdatePilotView(HostgateContext* g, int detectChanges);
