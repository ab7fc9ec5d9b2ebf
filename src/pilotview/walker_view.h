// walker_view.h - the walker (external pilot) view.
#pragma once

#include "host/hostgate.h"

// 0 when there is no active host view, else 1.
int UpdateWalkerView(HostgateContext* g);
