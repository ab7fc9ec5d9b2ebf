// joystick_sim.cpp - the DirectInput part of the platform seam on the
// substitute host's simulated controllers. A device handle is the
// controller's attachment index + 1.
#include <cstdint>

#include "hostsim/hostsim.h"
#include "hostsim/sim_joysticks.h"
#include "platform/platform.h"

using hostsim::Joysticks;
using hostsim::SimJoystick;

static SimJoystick* Device(PlatJoystick device) {
    SimJoystick* joystick = hostsim::JoystickAt(int(reinterpret_cast<std::uintptr_t>(device)) - 1);
    return (joystick && joystick->created) ? joystick : nullptr;
}

// The step's result: failure when the controller was told to fail it.
static std::int32_t Step(PlatJoystick device, hostsim::SetupStep step) {
    SimJoystick* joystick = Device(device);
    if (!joystick || joystick->failStep == step) return hostsim::kSimFail;
    return 0;
}

std::int32_t PlatDirectInputCreate() {
    if (Joysticks().createFails) return hostsim::kSimFail;
    Joysticks().created = true;
    return 0;
}

std::int32_t PlatDirectInputEnumControllers(PlatJoystickFound found) {
    hostsim::SimDirectInput& di = Joysticks();
    if (!di.created || di.enumFails) return hostsim::kSimFail;
    ++di.enumerations;
    for (SimJoystick& joystick : di.attached) found(&joystick);
    return 0;
}

void PlatDirectInputRelease() {
    Joysticks().created = false;
}

std::int32_t PlatJoystickCreate(const void* instance, PlatJoystick* device) {
    *device = nullptr;
    hostsim::SimDirectInput& di = Joysticks();
    const SimJoystick* joystick = static_cast<const SimJoystick*>(instance);
    if (!di.created || joystick->failStep == hostsim::kStepCreate) return hostsim::kSimFail;
    std::size_t index = std::size_t(joystick - di.attached.data());
    di.attached[index].created = true;
    *device = reinterpret_cast<PlatJoystick>(std::uintptr_t(index + 1));
    return 0;
}

std::int32_t PlatJoystickGetInfo(PlatJoystick device) {
    return Step(device, hostsim::kStepInfo);
}

std::int32_t PlatJoystickSetFormat(PlatJoystick device) {
    std::int32_t result = Step(device, hostsim::kStepFormat);
    if (result == 0) Device(device)->formatSet = true;
    return result;
}

std::int32_t PlatJoystickGetCapabilities(PlatJoystick device) {
    return Step(device, hostsim::kStepCapabilities);
}

std::int32_t PlatJoystickEnumButtons(PlatJoystick device) {
    return Step(device, hostsim::kStepObjects);
}

std::int32_t PlatJoystickPoll(PlatJoystick device) {
    SimJoystick* joystick = Device(device);
    if (!joystick || joystick->failPoll) return hostsim::kSimFail;
    if (joystick->lost) return hostsim::kSimInputLost;
    return joystick->acquired ? 0 : hostsim::kSimNotAcquired;
}

std::int32_t PlatJoystickAcquire(PlatJoystick device) {
    SimJoystick* joystick = Device(device);
    if (!joystick) return hostsim::kSimFail;
    ++joystick->acquireCalls;
    if (joystick->lost && joystick->lostAcquires > 0) {
        --joystick->lostAcquires;
        return hostsim::kSimInputLost;
    }
    joystick->lost = false;
    joystick->acquired = true;
    return 0;
}

std::int32_t PlatJoystickButtons(PlatJoystick device, std::uint8_t buttons[kJoystickButtons]) {
    SimJoystick* joystick = Device(device);
    if (!joystick || joystick->failState || !joystick->formatSet) return hostsim::kSimFail;
    if (!joystick->acquired) return hostsim::kSimNotAcquired;
    for (int b = 0; b < kJoystickButtons; ++b) buttons[b] = joystick->buttons[b] ? 0x80 : 0x00;
    return 0;
}

void PlatJoystickUnacquire(PlatJoystick device) {
    if (SimJoystick* joystick = Device(device)) joystick->acquired = false;
}

void PlatJoystickRelease(PlatJoystick device) {
    if (SimJoystick* joystick = Device(device)) {
        joystick->created = false;
        joystick->acquired = false;
        joystick->formatSet = false;
    }
}

void PlatPostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    hostsim::PostMessage(window, message, wParam, lParam);
}
