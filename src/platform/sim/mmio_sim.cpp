// mmio_sim.cpp - the multimedia file functions of the sound seam in the
// substitute host: buffered reading of a file's bytes (8 KB buffer with
// MMIO_ALLOCBUF, refilled on demand), memory files over the caller's bytes,
// and the RIFF chunk walk of mmioDescend/mmioAscend with the documented
// rules: chunk sizes may lie, odd sizes are followed by a pad byte, a
// search inside a parent stays inside it. Positions are 64-bit here and
// anything beyond 2 GiB ends a walk, so no file can make it loop or wrap.
// Resources of the executable come from the host's table.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "hostsim/hostsim.h"
#include "hostsim/sim_sound.h"
#include "platform/platform_sound.h"

using hostsim::SimMmio;
using hostsim::Sound;

static constexpr std::int32_t kDefaultBufferSize = 8192;       // MMIO_DEFAULTBUFFER
static constexpr std::uint32_t kFourCCList = FourCC('L', 'I', 'S', 'T');
static constexpr std::uint32_t kFourCCDos = FourCC('D', 'O', 'S', ' ');
static constexpr std::uint32_t kFindList = 0x0040;             // MMIO_FINDLIST
static constexpr std::uint32_t kFindAny = kMmioFindChunk | kMmioFindRiff | kFindList;
static constexpr std::int64_t kMaxOffset = 0x7FFFFFFF;
static constexpr long kMaxFileBytes = 256L << 20;              // larger files do not open here

static SimMmio* MmioAt(PlatMmio handle) {
    std::size_t number = std::size_t(reinterpret_cast<std::uintptr_t>(handle));
    std::vector<SimMmio>& all = Sound().mmios;
    if (number < 1 || number > all.size() || !all[number - 1].alive) return nullptr;
    return &all[number - 1];
}

static char* Buffer(SimMmio& m) {
    return m.own.empty() ? m.buffer : m.own.data();
}

static std::int64_t FileSize(const SimMmio& m) {
    return m.memory ? m.bufferSize : std::int64_t(m.file.size());
}

static std::int64_t Position(const SimMmio& m) {
    return (m.buffer || !m.own.empty()) ? std::int64_t(m.bufferOffset) + m.next : m.position;
}

static bool Buffered(const SimMmio& m) {
    return m.buffer || !m.own.empty();
}

// The next buffer of a disk file, from where the last one ended.
static std::int32_t LoadNextBuffer(SimMmio& m) {
    m.bufferOffset = m.diskOffset;
    m.next = 0;
    m.endRead = 0;
    if (m.memory) return 0;
    std::int64_t left = std::int64_t(m.file.size()) - m.diskOffset;
    if (left <= 0) return 0;
    std::int32_t n = left < m.bufferSize ? std::int32_t(left) : m.bufferSize;
    std::memcpy(Buffer(m), m.file.data() + m.diskOffset, std::size_t(n));
    m.endRead = n;
    m.diskOffset += n;
    return n;
}

// [SECTION] Opening and closing

static bool SameText(const std::string& a, const char* b) {
    return ::strcasecmp(a.c_str(), b) == 0;
}

static bool LoadFile(const char* name, std::vector<std::uint8_t>* bytes) {
    for (const hostsim::SimMemoryFile& f : Sound().memoryFiles) {
        if (SameText(f.path, name)) {
            *bytes = f.bytes;
            return true;
        }
    }
    std::FILE* in = std::fopen(hostsim::RealPath(name).c_str(), "rb");
    if (!in) return false;
    bool ok = std::fseek(in, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(in) : -1;
    ok = ok && size >= 0 && size <= kMaxFileBytes && std::fseek(in, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize(std::size_t(size));
        ok = std::fread(bytes->data(), 1, bytes->size(), in) == bytes->size();
    }
    std::fclose(in);
    return ok;
}

static void LogOpen(bool memory, std::uint32_t bytes, int number) {
    hostsim::LogSoundCall({hostsim::kSoundCallMmioOpen, number, memory ? 1u : 0u, bytes, 0, 0, 0, 0,
                           number ? kSoundOk : kSoundFail});
}

// A memory file reads the caller's bytes through its own buffer; with
// MMIO_ALLOCBUF mmio puts a buffer of its own in their place, and the
// memory file then reads as empty.
static bool OpenMemory(const MmioInfo& info, std::uint32_t flags, SimMmio* m) {
    if (info.bufferSize < 0 || (!info.buffer && info.bufferSize > 0)) return false;
    m->memory = true;
    if (flags & kMmioAllocBuffer) {
        m->own.assign(kDefaultBufferSize, 0);
        m->bufferSize = kDefaultBufferSize;
        return true;
    }
    m->buffer = info.buffer;
    m->bufferSize = info.bufferSize;
    m->endRead = info.bufferSize;
    return true;
}

PlatMmio PlatMmioOpen(const char* name, MmioInfo* info, std::uint32_t flags) {
    SimMmio m{};
    m.alive = true;
    m.flags = flags;
    bool memory = info && info->ioProc == kFourCCMemory;
    SoundResult failed = kSoundOk;
    bool ok = !hostsim::TakeSoundFailure(hostsim::kSoundCallMmioOpen, &failed);
    if (ok && memory) {
        ok = OpenMemory(*info, flags, &m);
    } else if (ok) {
        ok = name && LoadFile(name, &m.file);
        if (ok && (flags & kMmioAllocBuffer)) {
            m.own.assign(kDefaultBufferSize, 0);
            m.bufferSize = kDefaultBufferSize;
        }
    }
    if (!ok) {
        if (info) info->errorReturn = kMmioCannotOpen;
        LogOpen(memory, 0, 0);
        return nullptr;
    }
    std::uint32_t bytes = std::uint32_t(FileSize(m));
    Sound().mmios.push_back(std::move(m));
    int number = int(Sound().mmios.size());
    LogOpen(memory, bytes, number);
    return reinterpret_cast<PlatMmio>(std::uintptr_t(number));
}

MmioResult PlatMmioClose(PlatMmio mmio) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    *m = SimMmio{};
    hostsim::LogSoundCall({hostsim::kSoundCallMmioClose, int(reinterpret_cast<std::uintptr_t>(mmio)), 0, 0, 0, 0,
                           0, 0, kSoundOk});
    return kMmioOk;
}

// [SECTION] Reading and seeking

std::int32_t PlatMmioRead(PlatMmio mmio, void* destination, std::int32_t bytes) {
    SimMmio* m = MmioAt(mmio);
    if (!m || bytes < 0 || (!destination && bytes > 0)) return -1;
    char* out = static_cast<char*>(destination);
    if (!Buffered(*m)) {
        std::int64_t left = std::int64_t(m->file.size()) - m->position;
        std::int32_t n = left <= 0 ? 0 : left < bytes ? std::int32_t(left) : bytes;
        if (n > 0) std::memcpy(out, m->file.data() + m->position, std::size_t(n));
        m->position += n;
        return n;
    }
    std::int32_t count = 0;
    while (count < bytes) {
        if (m->next >= m->endRead && (m->memory || LoadNextBuffer(*m) <= 0)) break;
        std::int32_t n = m->endRead - m->next;
        if (n > bytes - count) n = bytes - count;
        std::memcpy(out + count, Buffer(*m) + m->next, std::size_t(n));
        m->next += n;
        count += n;
    }
    return count;
}

// Inside the loaded buffer only the read position moves; elsewhere the
// buffer is emptied and loads from the new position at the next read.
// Memory files cannot seek past their end; disk files can (reads give 0).
std::int32_t PlatMmioSeek(PlatMmio mmio, std::int32_t offset, int origin) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return -1;
    std::int64_t base = origin == kMmioSeekSet ? 0 : origin == kMmioSeekCurrent ? Position(*m)
                      : origin == kMmioSeekEnd   ? FileSize(*m)
                                                 : -1;
    if (base < 0) return -1;
    std::int64_t target = base + offset;
    if (target < 0 || target > kMaxOffset) return -1;
    if (m->memory) {
        if (target > m->bufferSize || !m->own.empty()) return -1;
        m->next = std::int32_t(target);
        return std::int32_t(target);
    }
    if (!Buffered(*m)) {
        m->position = std::int32_t(target);
    } else if (target >= m->bufferOffset && target <= std::int64_t(m->bufferOffset) + m->endRead) {
        m->next = std::int32_t(target - m->bufferOffset);
    } else {
        m->bufferOffset = m->diskOffset = std::int32_t(target);
        m->next = m->endRead = 0;
    }
    return std::int32_t(target);
}

// [SECTION] Chunks

static std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

static bool Matches(std::uint32_t flags, std::uint32_t id, std::uint32_t type, const MmioChunk& wanted) {
    if (flags & kMmioFindRiff) return id == kFourCCRiff && (!wanted.formType || type == wanted.formType);
    if (flags & kFindList) return id == kFourCCList && (!wanted.formType || type == wanted.formType);
    if (flags & kMmioFindChunk) return id == wanted.id;
    return true;  // no search: the chunk at the current position
}

MmioResult PlatMmioDescend(PlatMmio mmio, MmioChunk* chunk, const MmioChunk* parent, std::uint32_t flags) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    if (!chunk) return kMmioInvalidParam;
    const std::int64_t from = Position(*m);
    const std::int64_t end = parent ? std::int64_t(parent->dataOffset) + parent->size : kMaxOffset + 8;
    if (parent && (from < std::int64_t(parent->dataOffset) || from >= end)) return kMmioChunkNotFound;

    for (std::int64_t at = from; at + 8 <= end && at <= kMaxOffset - 12;) {
        std::uint8_t head[12];
        if (PlatMmioSeek(mmio, std::int32_t(at), kMmioSeekSet) == -1) break;
        std::int32_t got = PlatMmioRead(mmio, head, sizeof head);
        if (got < 8) break;
        std::uint32_t id = Le32(head), size = Le32(head + 4), type = got >= 12 ? Le32(head + 8) : 0;
        bool form = id == kFourCCRiff || id == kFourCCList;
        if (Matches(flags, id, type, *chunk) && (!form || got >= 12)) {
            *chunk = MmioChunk{id, size, form ? type : 0, std::uint32_t(at + 8), 0};
            PlatMmioSeek(mmio, std::int32_t(at + 8 + (form ? 4 : 0)), kMmioSeekSet);
            return kMmioOk;
        }
        if (!(flags & kFindAny)) break;
        at += 8 + ((std::int64_t(size) + 1) & ~std::int64_t(1));  // data and its pad byte
    }
    PlatMmioSeek(mmio, std::int32_t(from), kMmioSeekSet);
    return kMmioChunkNotFound;
}

// To the end of the chunk's data and its pad byte.
MmioResult PlatMmioAscend(PlatMmio mmio, MmioChunk* chunk, std::uint32_t) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    if (!chunk) return kMmioInvalidParam;
    std::int64_t end = std::int64_t(chunk->dataOffset) + ((std::int64_t(chunk->size) + 1) & ~std::int64_t(1));
    if (end > kMaxOffset || PlatMmioSeek(mmio, std::int32_t(end), kMmioSeekSet) == -1) return kMmioCannotSeek;
    return kMmioOk;
}

// [SECTION] Direct access to the buffer

MmioResult PlatMmioGetInfo(PlatMmio mmio, MmioInfo* info) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    if (!info) return kMmioInvalidParam;
    *info = MmioInfo{};
    char* buffer = Buffer(*m);
    info->flags = m->flags;
    info->ioProc = m->memory ? kFourCCMemory : kFourCCDos;
    info->bufferSize = Buffered(*m) ? m->bufferSize : 0;
    info->buffer = buffer;
    info->next = buffer ? buffer + m->next : nullptr;
    info->endRead = buffer ? buffer + m->endRead : nullptr;
    info->endWrite = buffer ? buffer + m->bufferSize : nullptr;
    info->bufferOffset = m->bufferOffset;
    info->diskOffset = m->diskOffset;
    info->handle = mmio;
    return kMmioOk;
}

static bool InBuffer(SimMmio& m, const char* p) {
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p), low = reinterpret_cast<std::uintptr_t>(Buffer(m));
    return Buffer(m) && at >= low && at <= low + std::uintptr_t(m.bufferSize);
}

MmioResult PlatMmioSetInfo(PlatMmio mmio, const MmioInfo* info) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    if (!info) return kMmioInvalidParam;
    if (!Buffered(*m)) return kMmioOk;
    if (!InBuffer(*m, info->next) || !InBuffer(*m, info->endRead)) return kMmioInvalidParam;
    m->next = std::int32_t(info->next - Buffer(*m));
    m->endRead = std::int32_t(info->endRead - Buffer(*m));
    return kMmioOk;
}

// The caller used the buffer up to info->next; the next part of the file
// takes its place. A memory file has nothing after its one buffer.
MmioResult PlatMmioAdvance(PlatMmio mmio, MmioInfo* info, std::uint32_t flags) {
    SimMmio* m = MmioAt(mmio);
    if (!m) return kMmioInvalidHandle;
    if (!Buffered(*m)) return kMmioUnbuffered;
    if (flags != kMmioRead || (info && !InBuffer(*m, info->next))) return kMmioInvalidParam;
    if (m->memory) {
        m->next = m->endRead;
    } else {
        LoadNextBuffer(*m);
    }
    if (info) {
        char* buffer = Buffer(*m);
        info->buffer = buffer;
        info->next = buffer + m->next;
        info->endRead = buffer + m->endRead;
        info->endWrite = buffer + m->bufferSize;
        info->bufferOffset = m->bufferOffset;
        info->diskOffset = m->diskOffset;
    }
    return kMmioOk;
}

// [SECTION] Resources of the executable

const void* PlatExeResource(const char* name, const char* type, std::uint32_t* size) {
    *size = 0;
    const void* found = nullptr;
    static const std::uint8_t kEmpty = 0;
    for (const hostsim::SimResource& r : Sound().resources) {
        if (name && type && SameText(r.name, name) && SameText(r.type, type)) {
            *size = std::uint32_t(r.bytes.size());
            found = r.bytes.empty() ? &kEmpty : r.bytes.data();
            break;
        }
    }
    bool wav = type && SameText("WAV", type);
    hostsim::LogSoundCall({hostsim::kSoundCallResource, 0, wav ? 1u : 0u, *size, 0, 0, 0, 0,
                           found ? kSoundOk : kSoundFail});
    return found;
}
