// sim_joysticks.h - simulated game controllers of the substitute host, as
// DirectInput 8 shows them to the module: attached in enumeration order,
// not acquired until the module acquires them, and able to fail each call.
#pragma once

#include <cstdint>
#include <vector>

namespace hostsim {

inline constexpr std::int32_t kSimFail = std::int32_t(0x80004005);          // E_FAIL
inline constexpr std::int32_t kSimNotAcquired = std::int32_t(0x8007000C);   // DIERR_NOTACQUIRED
inline constexpr std::int32_t kSimInputLost = std::int32_t(0x8007001E);     // DIERR_INPUTLOST

// The set-up calls a controller can be made to fail.
enum SetupStep { kStepNone, kStepCreate, kStepInfo, kStepFormat, kStepCapabilities, kStepObjects };

struct SimJoystick {
    bool buttons[128];
    bool created;        // a device interface is open on it
    bool acquired;
    bool formatSet;
    bool failPoll;       // Poll fails (not as lost input) while set
    bool failState;      // GetDeviceState fails while set
    bool lost;           // Poll answers input lost until acquired again
    int lostAcquires;    // Acquire answers input lost this many more times
    SetupStep failStep;
    int acquireCalls;
};

struct SimDirectInput {
    std::vector<SimJoystick> attached;  // in enumeration order
    bool createFails;
    bool enumFails;
    bool created;      // the DirectInput interface exists
    int enumerations;  // EnumDevices calls
};

SimDirectInput& Joysticks();
// No interface, no controllers, nothing failing.
void ResetJoysticks();
void AttachJoysticks(int count);
// The controller by attachment index; null when there is none.
SimJoystick* JoystickAt(int index);
void SetJoystickButton(int index, int button, bool down);
// Lost input: Poll fails until Acquire succeeds, which it does after
// answering input lost `lostAcquires` times.
void LoseJoystick(int index, int lostAcquires);

}  // namespace hostsim
