// sim_sound.h - the substitute host's sound: a simulated DirectSound 8
// device that keeps each buffer's state (playing, looping, play position,
// 3D parameters, lost) and plays in the host's clock time; mmio over byte
// buffers with the real chunk walk; executable resources. Every step can be
// made to fail, and every DirectSound call is recorded without allocating,
// so that the per-frame path can be measured through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform_sound.h"

namespace hostsim {

// The calls the device records, and the steps that can be made to fail.
enum SoundCall : int {
    kSoundCallCreate,        // DirectSoundCreate8
    kSoundCallCooperative,   // SetCooperativeLevel
    kSoundCallPrimary,       // CreateSoundBuffer of the primary buffer
    kSoundCallBuffer,        // CreateSoundBuffer of a secondary buffer
    kSoundCallDuplicate,     // DuplicateSoundBuffer
    kSoundCallFormat,        // SetFormat of the primary buffer
    kSoundCallListener,      // QueryInterface for the 3D listener
    kSoundCall3D,            // QueryInterface for a 3D buffer
    kSoundCallStatus,        // GetStatus
    kSoundCallRestore,
    kSoundCallLock,
    kSoundCallUnlock,
    kSoundCallPlay,
    kSoundCallStop,
    kSoundCallPosition,      // SetCurrentPosition
    kSoundCallGetParams,     // IDirectSound3DBuffer GetAllParameters
    kSoundCallSetParams,     // IDirectSound3DBuffer SetAllParameters
    kSoundCallCommit,        // the listener's CommitDeferredSettings
    kSoundCallRelease,       // a buffer
    kSoundCallRelease3D,
    kSoundCallReleaseListener,
    kSoundCallReleaseDevice,
    kSoundCallSleep,
    kSoundCallMmioOpen,
    kSoundCallMmioClose,
    kSoundCallResource,      // FindResource in the executable
    kSoundCallCount
};
// "DirectSoundCreate8", "Play", ...; the scenario names of the steps are
// "create", "play", ... (SoundStepName).
const char* SoundCallName(SoundCall call);
const char* SoundStepName(SoundCall call);

struct SimSoundCall {
    SoundCall call;
    int object;             // buffer number (1 = first created), mmio number; 0 = none
    std::uint32_t a, b, c;  // what the call was given (see the printer)
    float x, y, z;          // 3D parameters written: position z, min and max distance
    SoundResult result;
};
inline constexpr int kSoundCallLogCapacity = 4096;

struct SimSoundBuffer {
    bool alive;
    bool primary;
    bool ctrl3D;              // created with DSBCAPS_CTRL3D
    int memory;               // index of the buffer whose sample memory this one uses
    std::vector<std::uint8_t> samples;  // the memory, on the buffer that owns it
    WaveFormatEx format;
    std::uint32_t bytes;
    bool playing;
    bool looping;
    std::uint32_t basePosition;  // play position in bytes at baseMs
    std::uint32_t baseMs;        // host clock when the position was taken
    bool lost;
    int restoreLost;          // Restore answers "lost" this many more times
    int plays;                // Play calls that started it
    int interfaces3D;         // 3D interfaces handed out and not released
    Sound3DParams params;     // in force
    Sound3DParams deferred;   // written deferred, waiting for a commit
    bool hasDeferred;
};

struct SimResource {
    std::string name;  // compared without case
    std::string type;  // "WAVE", "WAV"
    std::vector<std::uint8_t> bytes;
};

// A file the simulated mmio serves from memory instead of the drives.
struct SimMemoryFile {
    std::string path;  // Windows path, compared without case
    std::vector<std::uint8_t> bytes;
};

struct SimMmio {
    bool alive;
    bool memory;                     // a memory file over the caller's bytes
    std::vector<std::uint8_t> file;  // a disk file's bytes
    std::vector<char> own;           // the buffer mmio allocated
    char* buffer;                    // the buffer in use (null: unbuffered)
    std::int32_t bufferSize;
    std::int32_t next;               // offsets into the buffer
    std::int32_t endRead;
    std::int32_t bufferOffset;       // file offset of the buffer's first byte
    std::int32_t diskOffset;         // file offset of the next buffer to load
    std::int32_t position;           // unbuffered file position
    std::uint32_t flags;
};

struct SimSound {
    bool created;             // the device exists
    PlatWindow window;        // of its cooperative level
    std::uint32_t level;
    WaveFormatEx primaryFormat;
    int listeners;            // listener interfaces handed out and not released
    int commits;
    bool noHrtf;              // the HRTF algorithms are substituted: DS_NO_VIRTUALIZATION
    std::uint32_t memoryLimit = 64u << 20;  // bytes of sample memory the device has
    std::uint32_t memoryUsed;
    int sleeps;
    std::uint32_t sleptMs;
    std::vector<SimSoundBuffer> buffers;  // number = index + 1
    int failCount[kSoundCallCount];       // that many next calls fail; -1: all
    SoundResult failResult[kSoundCallCount];
    SimSoundCall log[kSoundCallLogCapacity];
    int logCount;
    int logDropped;
    std::vector<SimResource> resources;
    std::vector<SimMemoryFile> memoryFiles;
    std::vector<SimMmio> mmios;  // number = index + 1
};

SimSound& Sound();
// A device present, HRTF available, nothing failing, nothing recorded.
void ResetSound();
// The next `times` calls of the step fail with `result` (times -1: every call).
void FailSoundStep(SoundCall step, int times, SoundResult result);
// True (with the result to give) when this call of the step is to fail.
bool TakeSoundFailure(SoundCall step, SoundResult* result);
// No device: DirectSoundCreate8 answers DSERR_NODRIVER while set.
void SetSoundDevicePresent(bool present);
// Every live secondary buffer is lost (stops playing); Restore answers
// "lost" `restoreLost` times before it succeeds.
void LoseSoundBuffers(int restoreLost);
void AddSoundResource(const std::string& name, const std::string& type, const std::vector<std::uint8_t>& bytes);
void PutSoundMemoryFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The buffer by its number (1 = first created); null when there is none.
SimSoundBuffer* SoundBufferAt(int number);
// Bring the buffer's play position up to the host clock: a one-shot that
// reached its end has stopped and stands at 0 again.
void SettleSoundBuffer(SimSoundBuffer* buffer);
std::uint32_t SoundBufferPosition(const SimSoundBuffer& buffer);
// The sample memory the buffer plays.
std::uint8_t* SoundBufferSamples(SimSoundBuffer* buffer);
// Record a call (dropped, and counted, once the log is full).
void LogSoundCall(const SimSoundCall& call);
// One line per call recorded since the last take, without "sound-call ";
// only the calls named (SoundCallName) when `only` is not empty. Empties the log.
std::vector<std::string> TakeSoundCalls(const std::vector<std::string>& only);
// Fresh sample memory holds this byte: a real device leaves it undefined.
inline constexpr std::uint8_t kSoundFreshByte = 0xEE;
// What Restore leaves in the memory of a buffer that was lost.
inline constexpr std::uint8_t kSoundRestoredByte = 0x5A;

}  // namespace hostsim
