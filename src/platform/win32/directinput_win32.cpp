// directinput_win32.cpp - the DirectInput part of the platform seam on the
// real DirectInput 8. dinput8.dll is loaded at start so the module imports
// only system DLLs and still loads where DirectInput is missing; the
// predefined joystick format is built here for the same reason, because
// the import library holds it as data.
#include <windows.h>
#include <initguid.h>  // the GUIDs below are defined in this file
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <cstddef>

#include "platform/platform.h"

static_assert(sizeof(DIJOYSTATE2) == 272, "DIJOYSTATE2");
static_assert(sizeof(DIDEVICEINSTANCEA) == 580, "DIDEVICEINSTANCEA");
static_assert(sizeof(DIDEVCAPS) == 44, "DIDEVCAPS");

using DirectInput8CreateFn = HRESULT(WINAPI*)(HINSTANCE, DWORD, REFIID, LPVOID*, LPUNKNOWN);

static HMODULE s_library;
static IDirectInput8A* s_directInput;

// [SECTION] The predefined joystick format (DIJOYSTATE2)

static constexpr DWORD kAxis = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
static constexpr DWORD kPov = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
static constexpr DWORD kButton = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;
static constexpr int kFormatObjects = 164;

static DIOBJECTDATAFORMAT s_objects[kFormatObjects];
static DIDATAFORMAT s_format;

// Six axes then two sliders, from offset `base`, for one aspect.
static int AddAxes(int n, DWORD base, DWORD aspect) {
    static const GUID* const axes[6] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis,
                                        &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
    for (int i = 0; i < 6; ++i) s_objects[n++] = {axes[i], base + DWORD(4 * i), kAxis, aspect};
    for (int i = 0; i < 2; ++i) s_objects[n++] = {&GUID_Slider, base + DWORD(24 + 4 * i), kAxis, aspect};
    return n;
}

static const DIDATAFORMAT* JoystickFormat() {
    if (s_format.dwSize) return &s_format;
    int n = AddAxes(0, offsetof(DIJOYSTATE2, lX), DIDOI_ASPECTPOSITION);
    for (int i = 0; i < 4; ++i) {
        s_objects[n++] = {&GUID_POV, DWORD(offsetof(DIJOYSTATE2, rgdwPOV) + 4 * i), kPov, 0};
    }
    for (int i = 0; i < kJoystickButtons; ++i) {
        s_objects[n++] = {nullptr, DWORD(offsetof(DIJOYSTATE2, rgbButtons) + i), kButton, 0};
    }
    n = AddAxes(n, offsetof(DIJOYSTATE2, lVX), DIDOI_ASPECTVELOCITY);
    n = AddAxes(n, offsetof(DIJOYSTATE2, lAX), DIDOI_ASPECTACCEL);
    AddAxes(n, offsetof(DIJOYSTATE2, lFX), DIDOI_ASPECTFORCE);
    s_format = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE2),
                kFormatObjects, s_objects};
    return &s_format;
}

// [SECTION] The DirectInput interface

static IDirectInputDevice8A* As(PlatJoystick device) {
    return reinterpret_cast<IDirectInputDevice8A*>(device);
}

std::int32_t PlatDirectInputCreate() {
    if (!s_library) s_library = LoadLibraryA("dinput8.dll");
    if (!s_library) return std::int32_t(E_FAIL);
    auto create = reinterpret_cast<DirectInput8CreateFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(s_library, "DirectInput8Create")));
    if (!create) return std::int32_t(E_FAIL);
    void* created = nullptr;
    HRESULT result = create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, &created, nullptr);
    if (SUCCEEDED(result)) s_directInput = static_cast<IDirectInput8A*>(created);
    return std::int32_t(result);
}

static BOOL CALLBACK OnController(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
    (*static_cast<PlatJoystickFound*>(context))(instance);
    return DIENUM_CONTINUE;
}

std::int32_t PlatDirectInputEnumControllers(PlatJoystickFound found) {
    if (!s_directInput) return std::int32_t(E_POINTER);
    return std::int32_t(
        s_directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, OnController, &found, DIEDFL_ATTACHEDONLY));
}

void PlatDirectInputRelease() {
    if (s_directInput) s_directInput->Release();
    s_directInput = nullptr;
}

// [SECTION] Devices

std::int32_t PlatJoystickCreate(const void* instance, PlatJoystick* device) {
    *device = nullptr;
    if (!s_directInput) return std::int32_t(E_POINTER);
    IDirectInputDevice8A* created = nullptr;
    const GUID& guid = static_cast<const DIDEVICEINSTANCEA*>(instance)->guidInstance;
    HRESULT result = s_directInput->CreateDevice(guid, &created, nullptr);
    if (SUCCEEDED(result)) *device = reinterpret_cast<PlatJoystick>(created);
    return std::int32_t(result);
}

std::int32_t PlatJoystickGetInfo(PlatJoystick device) {
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    return std::int32_t(As(device)->GetDeviceInfo(&info));
}

std::int32_t PlatJoystickSetFormat(PlatJoystick device) {
    return std::int32_t(As(device)->SetDataFormat(JoystickFormat()));
}

std::int32_t PlatJoystickGetCapabilities(PlatJoystick device) {
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    return std::int32_t(As(device)->GetCapabilities(&caps));
}

static BOOL CALLBACK OnButton(LPCDIDEVICEOBJECTINSTANCEA, LPVOID) {
    return DIENUM_CONTINUE;
}

std::int32_t PlatJoystickEnumButtons(PlatJoystick device) {
    return std::int32_t(As(device)->EnumObjects(OnButton, nullptr, DIDFT_BUTTON));
}

std::int32_t PlatJoystickPoll(PlatJoystick device) {
    return std::int32_t(As(device)->Poll());
}

std::int32_t PlatJoystickAcquire(PlatJoystick device) {
    return std::int32_t(As(device)->Acquire());
}

std::int32_t PlatJoystickButtons(PlatJoystick device, std::uint8_t buttons[kJoystickButtons]) {
    DIJOYSTATE2 state;
    HRESULT result = As(device)->GetDeviceState(sizeof state, &state);
    if (SUCCEEDED(result)) {
        for (int b = 0; b < kJoystickButtons; ++b) buttons[b] = state.rgbButtons[b];
    }
    return std::int32_t(result);
}

void PlatJoystickUnacquire(PlatJoystick device) {
    As(device)->Unacquire();
}

void PlatJoystickRelease(PlatJoystick device) {
    As(device)->Release();
}

void PlatPostMessage(PlatWindow window, std::uint32_t message, PlatWParam wParam, PlatLParam lParam) {
    PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}
