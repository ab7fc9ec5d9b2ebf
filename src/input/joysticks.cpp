// joysticks.cpp - game controllers. The platform seam wraps the DirectInput
// calls one by one; the order of the calls and what a failure ends live here.
#include "input/joysticks.h"

#include <cstring>

#include "host/hostgate.h"
#include "input/input.h"
#include "shell/main_state.h"

static JoystickSlot s_slots[kJoystickSlotCount];
static int s_count;

static bool Failed(std::int32_t result) {
    return result < 0;
}

// Every set-up step must succeed for the slot to count; a failure frees the
// slot for the next device.
static void AddController(const void* instance) {
    if (s_count >= kJoystickSlotCount) return;
    JoystickSlot& slot = s_slots[s_count];
    if (Failed(PlatJoystickCreate(instance, &slot.device))) {
        slot.device = nullptr;
        return;
    }
    if (Failed(PlatJoystickGetInfo(slot.device)) || Failed(PlatJoystickSetFormat(slot.device)) ||
        Failed(PlatJoystickGetCapabilities(slot.device)) || Failed(PlatJoystickEnumButtons(slot.device))) {
        PlatJoystickRelease(slot.device);
        slot.device = nullptr;
        return;
    }
    ++s_count;
}

int StartDirectInput() {
    s_count = 0;
    std::memset(s_slots, 0, sizeof s_slots);
    std::int32_t result = PlatDirectInputCreate();
    if (Failed(result)) return result;
    result = PlatDirectInputEnumControllers(AddController);
    return Failed(result) ? result : 0;
}

void StopDirectInput() {
    for (JoystickSlot& slot : s_slots) {
        if (!slot.device) continue;
        PlatJoystickUnacquire(slot.device);
        PlatJoystickRelease(slot.device);
        slot.device = nullptr;
    }
    s_count = 0;
    PlatDirectInputRelease();
}

// A slot whose read fails ends the poll: it and the later slots keep the
// states of their previous poll.
int PollJoysticks() {
    for (JoystickSlot& slot : s_slots) {
        if (!slot.device) continue;
        std::int32_t result = PlatJoystickPoll(slot.device);
        if (Failed(result)) {
            while (PlatJoystickAcquire(slot.device) == kJoystickInputLost) {
            }
            return result;
        }
        std::uint8_t buttons[kJoystickButtons];
        result = PlatJoystickButtons(slot.device, buttons);
        if (Failed(result)) return result;
        for (int b = 0; b < kJoystickButtons; ++b) {
            slot.previous[b] = slot.current[b];
            slot.current[b] = (buttons[b] & 0x80) ? 1 : 0;
        }
    }
    return 0;
}

// Calls deliver(message, keyCode) for each change the last poll left.
template <typename Deliver>
static void ForEachChange(Deliver deliver) {
    for (int s = 0; s < kJoystickSlotCount; ++s) {
        const JoystickSlot& slot = s_slots[s];
        if (!slot.device) continue;
        for (int b = 0; b < kJoystickButtons; ++b) {
            if (slot.current[b] == slot.previous[b]) continue;
            deliver(slot.current[b] ? kMsgJoystickButtonDown : kMsgJoystickButtonUp, JoystickKeyCode(s, b));
        }
    }
}

void EmitJoystickButtons() {
    ForEachChange([](std::uint32_t message, int keyCode) {
        InterpretInput(&g_hostgate, g_shell.HostMainWindow, message, PlatWParam(keyCode), 0);
    });
}

void PostJoystickButtons(PlatWindow window) {
    PollJoysticks();
    ForEachChange([window](std::uint32_t message, int keyCode) {
        PlatPostMessage(window, message, PlatWParam(keyCode), 0);
    });
}

int JoystickCount() {
    return s_count;
}

const JoystickSlot& JoystickSlotAt(int slot) {
    return s_slots[slot];
}
