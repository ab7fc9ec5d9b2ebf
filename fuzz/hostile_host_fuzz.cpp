// hostile_host_fuzz.cpp - the module started in a simulator whose memory,
// variables, view records and messages are any bytes: a small program read
// from the input sets host variables (NaN, infinities and huge values
// included), overwrites view records, the module list and the view manager,
// stores presets and settings, sends key, mouse, wheel, menu and joystick
// messages and runs frames. Every frame must end, and the sanitizers stop
// the run at any undefined conversion, overflow or stray memory access.
#include <cstdint>
#include <cstring>
#include <string>

#include "files/view_file.h"
#include "fuzz_support.h"
#include "host/host_access.h"
#include "input/key_bindings.h"
#include "shell/command_dispatch.h"
#include "shell/command_table.h"
#include "shell/main_state.h"
#include "shell/settings.h"

namespace {

// Key bindings as a user might have them, so that keys reach commands.
const char kBindings[] =
    "[Keyboard]\n"
    "ToggleInternalView=I ToggleExternalView=E ToggleMouseLook=MOUSE_BUTTON_2 ToggleMouseMove=MOUSE_BUTTON_1\n"
    "ToggleFlyBy=F ToggleApproachView=A ToggleTowerMode=T PilotForward=NUMPAD_8,DOUBLE PilotUp=NUMPAD_9\n"
    "PilotHeadLeft=NUMPAD_7,DOUBLE SetCockpitView1=1,SHIFT CockpitView1=1 CockpitView2=2 LoadPreset=L\n"
    "TogglePilot=P ButtonClickLeft=MOUSE_BUTTON_0 SetLookAtView=JOYSTICK_1_BUTTON_1\n";

const std::uint32_t kVariables[] = {2, 60, 68, 71, 72, 73, 77, 79, 86, 343, 349, 351, 551, 552, 553, 832};

const std::uint32_t kMessages[] = {
    kMsgKeyDown, kMsgKeyUp, kMsgLButtonDown, kMsgLButtonUp, kMsgRButtonDown, kMsgRButtonUp, kMsgMButtonDown,
    kMsgMButtonUp, kMsgMouseMove, kMsgMouseWheel, kMsgJoystickButtonDown, kMsgJoystickButtonUp, kMsgInitMenu,
    kMsgCommand, kMsgHostFrame, kMsgNull,
};

// Host memory the program may overwrite: the fixed words, the module list
// with its names, the view manager with its lists, the data areas and the
// interface table (sizes in bytes from the start).
struct Region {
    HostAddr start;
    std::uint32_t size;
};
const Region kRegions[] = {
    {kHostModuleListHead, 4}, {kHostViewManager, 4}, {kHostViewLayoutKind, 4},
    {0x00500000, 0x2000},  // module list entries and names
    {0x00600000, 0x1000},  // view manager, list arrays, elements
    {0x00700000, 0x600},   // the three view records
    {hostsim::kSimGlobalBase + kGlobalDataArea, 0x1000},
    {hostsim::kSimInterfaceTable, 0x100},
};

int* IntSetting(const SettingInfo& info) {
    return reinterpret_cast<int*>(reinterpret_cast<char*>(&g_main) + info.offset);
}

double* DoubleSetting(const SettingInfo& info) {
    return reinterpret_cast<double*>(reinterpret_cast<char*>(&g_main) + info.offset);
}

void Frames(fuzz::Bytes& in) {
    int n = 1 + in.U8() % 8;
    std::uint32_t ms = in.U16() % 3000;
    for (int i = 0; i < n; i++) {
        hostsim::Get().clockMs += ms;
        hostsim::SendMessage(hostsim::FindWindowByName("main"), kMsgHostFrame, 0, 0);
    }
}

void Message(fuzz::Bytes& in) {
    const std::uint8_t how = in.U8();
    std::uint32_t message = kMessages[how % (sizeof kMessages / sizeof kMessages[0])];
    PlatWParam wParam = in.U32();
    if (message == kMsgCommand) wParam = 30720 + wParam % 16;
    hostsim::Screen& screen = hostsim::TheScreen();
    screen.cursorX = std::int32_t(in.U32());
    screen.cursorY = std::int32_t(in.U32());
    const std::uint8_t keys = in.U8();
    hostsim::Get().keysDown[kVirtualKeyShift] = keys & 1;
    hostsim::Get().keysDown[kVirtualKeyControl] = keys & 2;
    hostsim::Get().keysDown[kVirtualKeyAlt] = keys & 4;
    PlatWindow window = hostsim::FindWindowByName((how & 0x80) ? "main" : "child");
    if (how & 0x40) {
        hostsim::SendMessage(window, message, wParam, 0);
    } else {
        hostsim::PostMessage(window, message, wParam, 0);
        hostsim::QueuedMessage taken;
        hostsim::Delivery delivery;
        while (hostsim::PumpOne(&taken, &delivery)) {
        }
    }
}

void Preset(fuzz::Bytes& in) {
    ViewPreset& p = g_viewPresets[in.U8() % kViewPresetCount];
    p.kind = in.U8() % 3;
    for (double& v : p.eye) v = in.F64();
    for (double& v : p.head) v = in.F64();
    p.zoom = in.F64();
}

void Setting(fuzz::Bytes& in) {
    const SettingInfo& info = kSettings[in.U8() % kSettingCount];
    if (info.type == kSettingInt) {
        *IntSetting(info) = std::int32_t(in.U32());
    } else {
        *DoubleSetting(info) = in.F64();
    }
}

void Command(fuzz::Bytes& in) {
    KeyBinding binding{};
    std::memcpy(binding.name, kCommandTable[in.U8() % kCommandCount].name, sizeof binding.name);
    DispatchCommand(0, 0, &binding);
}

void HostMemory(fuzz::Bytes& in) {
    const Region& r = kRegions[in.U8() % (sizeof kRegions / sizeof kRegions[0])];
    std::uint32_t offset = in.U16() % r.size;
    std::uint32_t value = in.U32();
    std::uint32_t bytes = 1u << (in.U8() % 3);  // 1, 2 or 4
    if (offset + bytes > r.size) bytes = r.size - offset;
    hostsim::Write(r.start + offset, &value, bytes);
}

void ViewFile(fuzz::Bytes& in) {
    std::string content = in.Take(in.U8() * 4u);
    hostsim::SetMemoryFile("C:\\FS9\\hostile.skv", content);
    hostsim::Get().fileDialogAnswers.push_back(hostsim::FileDialogAnswer{true, "C:\\FS9\\hostile.skv"});
    LoadViewFileCommand(hostsim::FindWindowByName("main"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshHost();
    hostsim::SetMemoryFile("C:\\FS9\\Skyvane2004.cfg", kBindings);
    hostsim::LoadModule();
    g_main.InternalViewActive = 1;

    fuzz::Bytes in{data, size};
    for (int step = 0; step < 256 && !in.Empty(); step++) {
        switch (in.U8() % 13) {
        case 0: hostsim::SetVariable(kVariables[in.U8() % 16], in.F64()); break;
        case 1: {
            HostAddr view = hostsim::ViewAddress(3 + in.U8() % 3);
            std::uint32_t offset = in.U16() % kHostViewSize;
            std::uint32_t value = in.U32();
            hostsim::Write(view + offset, &value, offset + 4 <= kHostViewSize ? 4 : kHostViewSize - offset);
            break;
        }
        case 2: {
            HostAddr view = hostsim::ViewAddress(3 + in.U8() % 3);
            float value;
            std::uint32_t bits = in.U32();
            std::memcpy(&value, &bits, sizeof value);
            hostsim::Write(view + kViewMatrix + 4 * (in.U8() % 12), &value, sizeof value);
            break;
        }
        case 3: HostMemory(in); break;
        case 4: Frames(in); break;
        case 5: Message(in); break;
        case 6: Preset(in); break;
        case 7: Setting(in); break;
        case 8: Command(in); break;
        case 9: hostsim::SetLayoutKind(std::int32_t(in.U8()) - 2); break;
        case 10: hostsim::SetViewType(3 + in.U8() % 3, std::int32_t(in.U16()) - 8); break;
        case 11: hostsim::SetModuleList(hostsim::ModuleListShape(in.U8() % 5)); break;
        case 12: ViewFile(in); break;
        }
    }
    // The state the program left runs on for a few frames.
    for (int i = 0; i < 3; i++) {
        hostsim::Get().clockMs += 40;
        hostsim::SendMessage(hostsim::FindWindowByName("main"), kMsgHostFrame, 0, 0);
    }
    FUZZ_CHECK(g_keyBindings.count >= 0 && g_keyBindings.count <= g_keyBindings.capacity);
    hostsim::UnloadModule();
    return 0;
}
