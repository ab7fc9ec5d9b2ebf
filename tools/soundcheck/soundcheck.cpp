// soundcheck - the module's effect sound bank on the real DirectSound 8 and
// mmio, outside any host: it starts the bank from the Skyvane\Sound folder
// beside it, stays silent for a second, loops "Wind 10-X.wav" for two
// seconds (serviced every 100 ms, as the camera tick would), stops it and
// stays silent for another second. Under wine with its audio written to a
// file (tests/wine/sound_stream.sh) the file must show silence, sound,
// silence. It links the sound subsystem alone, with the two globals and
// the one platform call it needs from the rest of the module.
//
//   soundcheck.exe        (prints what the bank did, one fact a line)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/main_state.h"
#include "sound/effect_sounds.h"

MainState g_main;
ShellState g_shell;

int PlatRand() {
    return std::rand();
}

// The folder that holds this program stands for the simulator's folder.
static void SetSimFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* cut = std::strrchr(path, '\\');
    if (cut) *cut = 0;
    std::snprintf(g_shell.SimFolder, sizeof g_shell.SimFolder, "%s", path);
}

static void ServiceFor(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 100) {
        ServiceEffectSounds();
        Sleep(100);
    }
}

int main() {
    SetSimFolder();
    HWND window = CreateWindowA("STATIC", "soundcheck", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
    g_shell.HostMainWindow = reinterpret_cast<PlatWindow>(window);
    g_main.SoundOn = 1;

    ServiceEffectSounds();
    const EffectSoundBank& bank = g_main.EffectSounds;
    int loaded = 0;
    for (const EffectSoundSlot& slot : bank.slots) loaded += slot.loaded;
    std::printf("bank manager %d listener %d loaded %d\n", bank.manager ? 1 : 0, bank.listener ? 1 : 0, loaded);
    std::fflush(stdout);

    ServiceFor(1000);
    SetEffectSoundVolume(WIND_10_X, 1.0);
    std::printf("wind start %d\n", StartEffectSound(WIND_10_X, 1));
    std::fflush(stdout);
    ServiceFor(2000);
    std::printf("wind stop %d\n", StopEffectSound(WIND_10_X));
    std::fflush(stdout);
    ServiceFor(1000);
    std::printf("done\n");
    if (window) DestroyWindow(window);
    return loaded == 12 ? 0 : 1;
}
