// sim_joysticks.cpp - simulated game controllers of the substitute host.
#include "hostsim/sim_joysticks.h"

namespace hostsim {

SimDirectInput& Joysticks() {
    static SimDirectInput state;
    return state;
}

void ResetJoysticks() {
    Joysticks() = SimDirectInput{};
}

void AttachJoysticks(int count) {
    for (int i = 0; i < count; ++i) Joysticks().attached.push_back(SimJoystick{});
}

SimJoystick* JoystickAt(int index) {
    std::vector<SimJoystick>& attached = Joysticks().attached;
    if (index < 0 || std::size_t(index) >= attached.size()) return nullptr;
    return &attached[std::size_t(index)];
}

void SetJoystickButton(int index, int button, bool down) {
    SimJoystick* joystick = JoystickAt(index);
    if (joystick && button >= 0 && button < 128) joystick->buttons[button] = down;
}

void LoseJoystick(int index, int lostAcquires) {
    SimJoystick* joystick = JoystickAt(index);
    if (!joystick) return;
    joystick->lost = true;
    joystick->acquired = false;
    joystick->lostAcquires = lostAcquires;
}

}  // namespace hostsim
