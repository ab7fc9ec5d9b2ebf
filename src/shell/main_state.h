// main_state.h - the module's globals: MainState (settings, mode flags, camera
// mode state, effect sound bank) and the start-up state of the shell. Plain
// data, no heap but the sound bank's objects; cleared at start-up and given
// its defaults by the settings store.
#pragma once

#include "camera/geometry.h"
#include "platform/platform.h"
#include "sound/effect_sounds.h"

inline constexpr std::size_t kPathSize = 260;  // Windows MAX_PATH, terminator included

struct MainState {
    // --- settings, persisted in the registry (value names are the field names)
    int FlyByActive;           // fly-by camera on
    int FlyByDuration;         // seconds between two placements
    int FlyByRelAltitude;      // feet added to the camera altitude
    int FlyByMinDistance;      // feet
    int FlyByAngle;            // degrees between track and camera line
    int FlyByCameraPlacement;  // 0 right, 1 left, 2 random
    int FlyByTravelling;       // camera slides along the track line
    int ApproachActive;        // approach view on
    double ApproachViewX;      // feet sideways
    double ApproachViewZ;      // feet beyond the predicted touchdown
    double ApproachViewY;      // feet above the ground
    double ApproachTransAlt;   // feet above ground: fly-by above, approach at or below
    int InternalViewActive;    // cockpit pilot view functions on
    int EnableWheelZoom;       // wheel zooms the virtual cockpit
    int UseMouseInSpot;        // mouse steers the spot view
    int SmoothView;            // presets glide instead of jumping
    double ViewTurbRate;       // head latency rate, 0..2
    double GroundTurbRate;     // ground and overspeed turbulence rate, 0..2
    double BuffetTurbRate;     // buffeting rate, 0..2
    double SpotTurbRate;       // spot view turbulence rate, 0..1
    double RunningSpeed;       // walker speed, metres per second
    int ViewTurbOn;            // head latency on
    int GroundTurbOn;          // ground and overspeed turbulence on
    int BuffetTurbOn;          // buffeting on
    int SoundOn;               // effect sounds on
    int MaxTracks;             // most traffic aircraft offered
    double MaxTrackDistance;   // nautical miles
    double TowerHeight;        // metres
    int GroundTurbSoundOn;     // play ground turbulence sounds
    int ViewTurbSoundOn;       // play head latency sounds

    // --- mode flags that are not persisted
    int ExternalViewActive;  // walker view on
    int TrafficViewActive;   // head tracks AI traffic
    int TrafficLockActive;   // tracked aircraft locked by name
    int TrafficIndex;        // distance rank of the tracked aircraft
    char TrafficLockId[32];  // name of the locked aircraft, empty until taken
    int LookAtViewActive;    // scenery padlock on
    int TowerModeActive;     // tower eye on

    // --- camera modes' working state (zero at load)
    float LastTickMs;        // millisecond clock at the previous tick, as a float
    float FrameTime;         // seconds since the previous tick, at most 1.0
    double ElapsedTime;      // seconds: sum of the frame times since load
    int FirstPositionTaken;  // the first full tick has seeded ApproachPoint
    float FlyByTimer;        // seconds until the fly-by camera is set down again
    int FlyBySide;           // +1 right of the track, -1 left
    double FlyByDistance;    // metres ahead at the last placement
    GeoPoint FlyByPoint;     // where the fly-by camera was set down (feet)
    double FlyByHeading;     // aircraft heading at that placement, degrees
    GeoPoint ApproachPoint;  // feet; latitude and longitude both 0 = unset
    GeoPoint LookAtPoint;    // padlocked ground point (feet)

    // --- effect sounds: created at the first service call, never freed
    EffectSoundBank EffectSounds;
};

// Start-up state kept for the life of the module.
struct ShellState {
    PlatInstance instance;       // the module's own instance handle
    char SimFolder[kPathSize];   // host main folder: module path less two components
    char ViewFileFolder[kPathSize];  // where the next view file dialog opens
    PlatWindow HostMainWindow;   // the FS98MAIN window, null when not found
    std::uint32_t HostThreadId;  // the thread that ran start-up
    PlatHook callWndProcHook;    // null when not installed
    PlatHook getMessageHook;     // null when not installed
    PlatMenu modulePopup;        // popup appended at the last menu build
    PlatMenu modulePopupParent;  // the host submenu it was appended to
};

extern MainState g_main;
extern ShellState g_shell;
