// traffic_view.h - the head follows an AI aircraft.
#pragma once

void UpdateTrafficView();
