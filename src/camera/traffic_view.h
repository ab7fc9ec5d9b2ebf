// traffic_view.h - the pilot's head follows an AI aircraft, chosen by
// distance rank or locked by name.
#pragma once

#include "host/traffic_list.h"

// Run by the camera tick on every full tick; nothing while the view is off.
void UpdateTrafficView();

// The ranking order: aircraft still offered before excluded ones, then the
// nearer first; equal distances compare equal. A distance that is not a
// number ranks after every number, so the order stays total. For qsort.
int CompareTrafficRanks(const void* a, const void* b);

// Sees the ranked list of each tick that fetched one (count 0 included) and
// the aircraft the head turned to (null when none); the scenario runner
// prints from it. Null by default.
using TrafficListObserver = void (*)(const TrafficRecord* records, int count, const TrafficRecord* current);
void SetTrafficListObserver(TrafficListObserver observer);
