// flyby.h - the fly-by camera: set down on the track ahead of the aircraft,
// set down again after FlyByDuration seconds.
#pragma once

// One frame of the fly-by: count down, re-place when due, travel.
void StepFlyBy();
// Set the camera down FlyByDistance ahead on FlyBySide; writes the eye point,
// FlyByPoint and FlyByHeading.
void PlaceFlyByCamera();
// The travelling camera: slide sideways off FlyByPoint as the aircraft nears.
void TravelFlyByCamera();
