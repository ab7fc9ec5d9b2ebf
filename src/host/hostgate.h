// hostgate.h - HostgateContext: the single context of the host-access,
// pilot-view and input layers, passed by pointer to their operations.
// Plain ints used as 0/1 flags and doubles in the units noted. Zeroed once at
// start-up; the camera tick copies settings and mode flags into it.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "platform/platform.h"

struct KeyBinding;
struct KeyBindingTable;

// Fired-binding handler the camera tick installs for the input layer.
using CommandDispatchFn = int (*)(int, int, KeyBinding* binding);

struct HostgateContext {
    // --- host locations (host access layer); 32-bit host addresses, 0 = not found
    HostAddr g3dBase;            // load address of G3D.DLL
    HostAddr globalBase;         // load address of GLOBAL.DLL
    HostAddr globalData;         // GLOBAL.DLL + 0x3000: data area with the camera position
    HostAddr objectList;         // G3D.DLL + 0xA5E30: drawn 3D objects
    HostAddr projectionMatrix;   // G3D.DLL + 0xAEA50: 4 x 4 floats
    HostAddr eyePositionRecord;  // GLOBAL.DLL + 0x35B0: HostPosition32
    HostAddr eyeAttitudeRecord;  // GLOBAL.DLL + 0x35C8: three 32-bit angles
    HostAddr moduleListHead;     // first entry of the loaded-module list
    HostAddr viewManager;        // the host's view manager record
    HostAddr viewLayoutKind;     // address of the integer naming the live view list
    double lastFrameTime;        // seconds, host frame clock
    double frameDelta;           // seconds since the previous host frame
    int viewTouched;             // the active view was of type 1 or 2 this frame
    int hostViewType;            // type of the active view at the last pilot update

    // --- cockpit pilot view
    double eyeX, eyeY, eyeZ;     // eye offset, host length units (view word / 256), -120..120
    double eyeTarget[3];
    double eyeRate[3];           // units per half second
    double headPitch, headHeading, headBank;  // degrees
    double headTarget[3];        // pitch, heading, bank
    double headRate[3];          // degrees per half second
    double prevHead[3];          // head angles at the end of the previous frame
    double zoom, zoomTarget, zoomRate;
    double aircraftPitch, aircraftHeading, aircraftBank;  // degrees, this frame
    double prevAircraftAttitude[3];
    double latencyOffset[3];     // degrees (pitch, heading, bank)
    double turbulenceOffset[3], turbulenceTarget[3], turbulenceRate[3];
    double overspeedOffset[3], overspeedTarget[3], overspeedRate[3];
    double turbulenceTimer, overspeedTimer, spotTurbulenceTimer;  // seconds
    double buffetIntensity;      // 0..1
    double currentSpeed;         // longitudinal speed, metres per second
    double overspeedReference;   // speed when the overspeed indication came on, m/s
    double spotPitch, spotHeading;  // degrees
    double spotZoom;
    double spotDistance;         // metres
    double spotShakeStart[2], spotShake[2], spotShakeSpan[2];  // heading (deg), height (units)
    double spotShakeDuration, spotShakeElapsed;  // seconds
    double headLatencyRate, groundTurbulenceRate, overspeedTurbulenceRate, buffetingRate,
        spotTurbulenceRate;      // effect rates copied from the settings
    HostView savedView;          // the host view as last taken and written

    // --- tower mode, shared by the command toggles and the pilot view
    int TowerModeActive;         // copy of the mode flag
    double towerEyeHeight;       // copy of the TowerHeight setting, eye length units
    int saveEyeRequest;          // tower on: save the eye and lift it on the next update
    int restoreEyeRequest;       // tower off: put the saved eye back on the next update
    double savedEye[3];          // eye offset saved when the tower was switched on

    // --- walker view
    int walkerActive;            // the external pilot view flag
    int walkerEngaged;           // the host view has been taken over
    int walkerKeepPosition;      // next engagement keeps the stored place
    double walkerLatitude, walkerLongitude;  // degrees
    double walkerStandAltitude;  // metres: the surface under the walker
    double walkerHeading, walkerPitch, walkerBank;  // degrees
    double walkerEyeHeight;      // metres above the surface, at least 1.7
    double walkerZoom;
    double groundElevation;      // metres, measured at engagement
    double walkerBob;            // metres
    double walkerForwardSpeed, walkerSideSpeed;  // metres per second
    double walkingSpeed;         // metres per second (RunningSpeed setting)
    HostView savedWalkerView;    // the host view taken at engagement
    double walkerEyeAltitude;    // metres: the eye as last written to the host
    double walkerSurfaceAltitude;  // metres: what the last probe found under him
    int walkerOnObject;          // the last probe hit an object (else he is over the ground)

    // --- input layer
    KeyBindingTable* keyBindingTable;   // the module's bindings; may be null
    CommandDispatchFn commandDispatch;  // null until the first full camera tick
    int mouseLookOn, mouseMoveOn;
    int useMouseInSpot, wheelZoomEnabled;  // copies of the settings
    std::int32_t lastCursorX, lastCursorY;  // screen pixels; (0, 0) = none known
    int pilotForward, pilotBackward, pilotStepRight, pilotStepLeft;
    int pilotHeadUp, pilotHeadDown, pilotHeadRight, pilotHeadLeft;
    int pilotTiltRight, pilotTiltLeft, pilotUp, pilotDown, pilotCrouch;

    // --- head tracking: the tracked pose the camera tick hands the cockpit
    // view, added on top of its own eye and head when it writes the view
    int trackedPoseOn;              // add the pose below this frame
    double trackedEye[3];           // eye units, x right, y up, z forward
    double trackedHead[3];          // degrees: pitch (down +), heading (right +), bank (left +)
    double writtenTrackedEye[3];    // what the last cockpit write added to the eye, after the limit
    double writtenTrackedHead[3];   // what it added to the head angles
};

extern HostgateContext g_hostgate;
