// scenario_sound.cpp - scenario commands for the effect sounds: WAV files
// written into the simulated drives, the simulated DirectSound device made
// to lack a part or fail a step, and prints of the module's sound bank, of
// the device's buffers and of the calls the module made.
#include <cstdio>
#include <string>
#include <vector>

#include "hostsim/hostsim.h"
#include "hostsim/sim_sound.h"
#include "scenario.h"
#include "shell/main_state.h"
#include "sound/effect_sounds.h"
#include "sound/sound_manager.h"

using Bytes = std::vector<std::uint8_t>;

// [SECTION] WAV files

static void Put16(Bytes* b, std::uint32_t v) {
    b->push_back(std::uint8_t(v));
    b->push_back(std::uint8_t(v >> 8));
}

static void Put32(Bytes* b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

static void PutText(Bytes* b, const char* four) {
    b->insert(b->end(), four, four + 4);
}

// A 441 Hz triangle at a quarter of full scale, 22050 frames a second. A
// format other than PCM gets its count of extra bytes (0).
static Bytes WaveBytes(int channels, int bits, int ms, int tag) {
    const std::uint32_t rate = 22050;
    std::uint32_t frames = std::uint32_t(ms) * rate / 1000;
    std::uint32_t align = std::uint32_t(channels * bits / 8);
    Bytes data;
    for (std::uint32_t i = 0; i < frames; ++i) {
        int phase = int(i % 50);
        int level = (phase < 25 ? phase : 50 - phase) * 4 - 50;  // -50 .. +50 percent of the quarter
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.push_back(std::uint8_t(128 + level * 32 / 50));
            } else {
                Put16(&data, std::uint16_t(std::int16_t(level * 8192 / 50)));
            }
        }
    }
    std::uint32_t formatSize = tag == 1 ? 16 : 18;
    Bytes b;
    PutText(&b, "RIFF");
    Put32(&b, std::uint32_t(4 + 8 + formatSize + 8 + data.size() + data.size() % 2));
    PutText(&b, "WAVE");
    PutText(&b, "fmt ");
    Put32(&b, formatSize);
    Put16(&b, std::uint32_t(tag));
    Put16(&b, std::uint32_t(channels));
    Put32(&b, rate);
    Put32(&b, rate * align);
    Put16(&b, align);
    Put16(&b, std::uint32_t(bits));
    if (tag != 1) Put16(&b, 0);
    PutText(&b, "data");
    Put32(&b, std::uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2) b.push_back(0);
    return b;
}

static bool WriteWave(Scenario& s, const std::string& path, const Bytes& bytes) {
    std::string text(bytes.begin(), bytes.end());
    return Host().PutFile(path, text) ? true : ScenarioError(s, "cannot write %s", path.c_str());
}

// wav PATH [CHANNELS [BITS [MS [TAG]]]]: mono, 16-bit, 500 ms, PCM unless told.
static bool Wav(Scenario& s, const Args& a) {
    long long v[4] = {1, 16, 500, 1};
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (!ParseNumber(a[i], &v[i - 1]) || v[i - 1] < 0 || v[i - 1] > 60000) {
            return ScenarioError(s, "bad number %s", a[i].c_str());
        }
    }
    if (v[0] < 1 || v[0] > 2 || (v[1] != 8 && v[1] != 16)) return ScenarioError(s, "channels 1|2, bits 8|16");
    return WriteWave(s, a[0], WaveBytes(int(v[0]), int(v[1]), int(v[2]), int(v[3])));
}

// [SECTION] The device

static bool Present(Scenario& s, const std::string& word, bool* present) {
    if (word != "none" && word != "present") return ScenarioError(s, "none|present, got %s", word.c_str());
    *present = word == "present";
    return true;
}

static bool Device(Scenario& s, const Args& a) {
    bool present = true;
    if (!Present(s, a[0], &present)) return false;
    hostsim::SetSoundDevicePresent(present);
    return true;
}

static bool Listener(Scenario& s, const Args& a) {
    bool present = true;
    if (!Present(s, a[0], &present)) return false;
    hostsim::FailSoundStep(hostsim::kSoundCallListener, present ? 0 : -1, kSoundNoInterface);
    return true;
}

static bool Hrtf(Scenario& s, const Args& a) {
    bool present = true;
    if (!Present(s, a[0], &present)) return false;
    hostsim::Sound().noHrtf = !present;
    return true;
}

// fail STEP [N|always [RESULT]]
static bool Fail(Scenario& s, const Args& a) {
    int step = 0;
    while (step < hostsim::kSoundCallCount && a[0] != hostsim::SoundStepName(hostsim::SoundCall(step))) ++step;
    if (step == hostsim::kSoundCallCount) {
        std::string names;
        for (int i = 0; i < hostsim::kSoundCallCount; ++i) {
            names += std::string(" ") + hostsim::SoundStepName(hostsim::SoundCall(i));
        }
        return ScenarioError(s, "steps:%s", names.c_str());
    }
    long long times = 1, result = kSoundFail;
    if (a.size() > 1 && a[1] == "always") {
        times = -1;
    } else if (a.size() > 1 && (!ParseNumber(a[1], &times) || times < 0)) {
        return ScenarioError(s, "bad count %s", a[1].c_str());
    }
    if (a.size() > 2 && !ParseNumber(a[2], &result)) return ScenarioError(s, "bad result %s", a[2].c_str());
    hostsim::FailSoundStep(hostsim::SoundCall(step), int(times), SoundResult(std::uint32_t(result)));
    return true;
}

static bool Lose(Scenario& s, const Args& a) {
    long long n = 0;
    if (!a.empty() && (!ParseNumber(a[0], &n) || n < 0)) return ScenarioError(s, "bad count %s", a[0].c_str());
    hostsim::LoseSoundBuffers(int(n));
    return true;
}

// resource NAME TYPE PATH: the executable gets a resource with the bytes of a file.
static bool Resource(Scenario& s, const Args& a) {
    std::string text;
    if (!Host().GetFile(a[2], &text)) return ScenarioError(s, "cannot read %s", a[2].c_str());
    hostsim::AddSoundResource(a[0], a[1], Bytes(text.begin(), text.end()));
    return true;
}

// pack [MS]: the twelve files of the bank, mono 16-bit, each MS long.
static bool Pack(Scenario& s, const Args& a) {
    long long ms = 500;
    if (!a.empty() && (!ParseNumber(a[0], &ms) || ms < 1 || ms > 60000)) return ScenarioError(s, "bad length");
    for (int slot = 1; slot < kEffectSoundSlots; ++slot) {
        std::string path = std::string("C:\\FS9\\Skyvane\\Sound\\") + EffectSoundFile(slot);
        if (!WriteWave(s, path, WaveBytes(1, 16, int(ms), 1))) return false;
    }
    return true;
}

static const char* const kUsage =
    "sound pack [MS] | device none|present | listener none|present | hrtf none|present"
    " | fail STEP [N|always [RESULT]] | lose [N] | resource NAME TYPE PATH";

static bool SoundCommand(Scenario& s, const Args& a) {
    static const ScenarioSubCommand kSubs[] = {
        {"pack", 0, 1, Pack},         {"device", 1, 1, Device}, {"listener", 1, 1, Listener},
        {"hrtf", 1, 1, Hrtf},         {"fail", 1, 3, Fail},     {"lose", 0, 1, Lose},
        {"resource", 3, 3, Resource},
    };
    return RunSubCommand(s, a, kSubs, sizeof kSubs / sizeof kSubs[0], kUsage);
}

static const ScenarioCommand kSoundCommands[] = {
    {"wav", 1, 5, Wav, "wav PATH [CHANNELS [BITS [MS [TAG]]]]"},
    {"sound", 1, 4, SoundCommand, kUsage},
};

ScenarioTable SoundScenarioCommands() {
    return {kSoundCommands, int(sizeof kSoundCommands / sizeof kSoundCommands[0])};
}

// [SECTION] print ...

static hostsim::SimSoundBuffer* SlotBuffer(const EffectSoundSlot& slot) {
    if (!slot.clip) return nullptr;
    return hostsim::SoundBufferAt(int(reinterpret_cast<std::uintptr_t>(slot.clip->BufferAt(0))));
}

// sound-slot I "FILE" loaded L state S looping P volume V distance D|none
// playing 0|1, for every slot or the slots named.
static bool PrintBank(Scenario& s, const Args& a) {
    const EffectSoundBank& bank = g_main.EffectSounds;
    std::vector<int> slots;
    for (const std::string& word : a) {
        long long n = -1;
        if (!ParseNumber(word, &n) || n < 0 || n >= kEffectSoundSlots) return ScenarioError(s, "slots 0-12");
        slots.push_back(int(n));
    }
    if (slots.empty()) {
        Emit(s, "sound-bank manager %d listener %d", bank.manager ? 1 : 0, bank.listener ? 1 : 0);
        for (int i = 0; i < kEffectSoundSlots; ++i) slots.push_back(i);
    }
    for (int i : slots) {
        const EffectSoundSlot& slot = bank.slots[i];
        hostsim::SimSoundBuffer* b = SlotBuffer(slot);
        if (b) hostsim::SettleSoundBuffer(b);
        char distance[32] = "none";
        if (slot.buffer3D) std::snprintf(distance, sizeof distance, "%.3f", double(slot.params3D.position.z));
        Emit(s, "sound-slot %d %s loaded %d state %d looping %d volume %.3f distance %s playing %d", i,
             Quote(EffectSoundFile(i)).c_str(), slot.loaded, slot.playState, slot.looping, slot.volume, distance,
             b && b->playing ? 1 : 0);
    }
    return true;
}

// sound-call TEXT for each call since the last print (only those named).
static bool PrintCalls(Scenario& s, const Args& a) {
    for (const std::string& line : hostsim::TakeSoundCalls(a)) Emit(s, "sound-call %s", line.c_str());
    return true;
}

static bool PrintBuffers(Scenario& s, const Args&) {
    int live = 0;
    for (std::size_t i = 0; i < hostsim::Sound().buffers.size(); ++i) {
        hostsim::SimSoundBuffer& b = hostsim::Sound().buffers[i];
        if (!b.alive) continue;
        live++;
        if (b.primary) {
            Emit(s, "sound-buffer %zu primary", i + 1);
            continue;
        }
        hostsim::SettleSoundBuffer(&b);
        Emit(s,
             "sound-buffer %zu bytes %u playing %d looping %d position %u lost %d plays %d z %.3f min %.3f max %.0f "
             "mode %u",
             i + 1, b.bytes, b.playing, b.looping, hostsim::SoundBufferPosition(b), b.lost, b.plays,
             double(b.params.position.z), double(b.params.minDistance), double(b.params.maxDistance), b.params.mode);
    }
    Emit(s, "sound-buffers %d", live);
    return true;
}

static bool PrintDevice(Scenario& s, const Args&) {
    const hostsim::SimSound& d = hostsim::Sound();
    const hostsim::Window* w = hostsim::WindowOf(d.window);
    Emit(s, "sound-device created %d window %s level %u primary %u/%u/%u listeners %d commits %d sleeps %d", d.created,
         w ? w->name.c_str() : "none", d.level, d.primaryFormat.channels, d.primaryFormat.samplesPerSec,
         d.primaryFormat.bitsPerSample, d.listeners, d.commits, d.sleeps);
    return true;
}

static const ScenarioCommand kSoundPrints[] = {
    {"sound-bank", 0, -1, PrintBank, "print sound-bank [SLOT ...]"},
    {"sound-calls", 0, -1, PrintCalls, "print sound-calls [CALL ...]"},
    {"sound-buffers", 0, 0, PrintBuffers, "print sound-buffers"},
    {"sound-device", 0, 0, PrintDevice, "print sound-device"},
};

ScenarioTable SoundPrintCommands() {
    return {kSoundPrints, int(sizeof kSoundPrints / sizeof kSoundPrints[0])};
}
