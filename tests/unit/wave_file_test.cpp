// wave_file_test.cpp - the WAV reader on the substitute host's mmio: what a
// good file gives, which files are refused, reading across mmio's buffer,
// short and lying files, the resource fallback; and the chunk walk of the
// simulated mmio itself, which the reader's tests stand on.
#include "sound/wave_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/sim_sound.h"
#include "test_host.h"
#include "wav_builder.h"

namespace {

const char* const kPath = "C:\\FS9\\Skyvane\\Sound\\Test.wav";

class WaveFileTest : public ::testing::Test {
protected:
    void Put(const Bytes& bytes, const char* path = kPath) {
        host.WriteFile(path, std::string(bytes.begin(), bytes.end()));
    }
    // All the samples, read in pieces of `piece` bytes.
    Bytes ReadAll(WaveFile& wave, std::uint32_t piece) {
        Bytes all;
        std::vector<std::uint8_t> buf(piece);
        for (int guard = 0; guard < 100000; ++guard) {
            std::uint32_t got = 0;
            EXPECT_EQ(wave.Read(buf.data(), piece, &got), kSoundOk);
            if (got == 0) break;
            all.insert(all.end(), buf.begin(), buf.begin() + got);
        }
        return all;
    }
    TestHost host;
};

TEST_F(WaveFileTest, PcmFileGivesItsFormatSizeAndSamples) {
    Put(PcmWav(Ramp(1000)));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(wave.GetSize(), 1000u);
    const WaveFormatEx* f = wave.GetFormat();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->formatTag, 1);
    EXPECT_EQ(f->channels, 1);
    EXPECT_EQ(f->samplesPerSec, 22050u);
    EXPECT_EQ(f->avgBytesPerSec, 44100u);
    EXPECT_EQ(f->blockAlign, 2);
    EXPECT_EQ(f->bitsPerSample, 16);
    EXPECT_EQ(f->cbSize, 0);
    EXPECT_EQ(ReadAll(wave, 1000), Ramp(1000));
}

// 20000 bytes do not fit mmio's 8 KB buffer: pieces of 3000 straddle its
// refills, and the data read back must be the data written, in order.
TEST_F(WaveFileTest, ReadingCrossesMmiosBufferAndStartsAgainAfterAReset) {
    Put(PcmWav(Ramp(20000)));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(ReadAll(wave, 3000), Ramp(20000));
    ASSERT_EQ(wave.ResetFile(), kSoundOk);
    EXPECT_EQ(ReadAll(wave, 7), Ramp(20000));
}

TEST_F(WaveFileTest, ReadingStopsAtTheEndOfTheDataChunk) {
    Bytes chunks = Chunk("fmt ", FormatBody(1, 1, 22050, 8));
    Append(&chunks, Chunk("data", Ramp(101)));      // odd: a pad byte follows
    Append(&chunks, Chunk("LIST", Bytes(64, 0xFF)));
    Put(Riff(chunks));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(wave.GetSize(), 101u);
    EXPECT_EQ(ReadAll(wave, 500), Ramp(101));
}

// Chunks of odd size are followed by a pad byte the walk must step over.
TEST_F(WaveFileTest, OddChunksBeforeTheFormatAreSteppedOverWithTheirPadBytes) {
    Bytes chunks = Chunk("junk", Bytes{1, 2, 3, 4, 5});
    Append(&chunks, Chunk("fmt ", FormatBody(1, 1, 11025, 8)));
    Append(&chunks, Chunk("cue ", Bytes(7, 0x33)));
    Append(&chunks, Chunk("data", Ramp(30, 9)));
    Put(Riff(chunks));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(wave.GetFormat()->samplesPerSec, 11025u);
    EXPECT_EQ(ReadAll(wave, 64), Ramp(30, 9));
}

TEST_F(WaveFileTest, OtherFormatsKeepTheExtraBytesTheirCountAnnounces) {
    Bytes fmt = FormatBody(2, 1, 22050, 4);
    Put16(&fmt, 4);
    Append(&fmt, Bytes{0xA1, 0xA2, 0xA3, 0xA4});
    Bytes chunks = Chunk("fmt ", fmt);
    Append(&chunks, Chunk("data", Ramp(10)));
    Put(Riff(chunks));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    const WaveFormatEx* f = wave.GetFormat();
    EXPECT_EQ(f->formatTag, 2);
    ASSERT_EQ(f->cbSize, 4);
    const std::uint8_t* extra = reinterpret_cast<const std::uint8_t*>(f) + sizeof(WaveFormatEx);
    EXPECT_EQ(Bytes(extra, extra + 4), (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
}

// A PCM format never reads a count of extra bytes, whatever follows.
TEST_F(WaveFileTest, PcmFormatIgnoresACountOfExtraBytes) {
    Bytes fmt = FormatBody(1, 1, 22050, 16);
    Put16(&fmt, 500);
    Bytes chunks = Chunk("fmt ", fmt);
    Append(&chunks, Chunk("data", Ramp(8)));
    Put(Riff(chunks));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(wave.GetFormat()->cbSize, 0);
    EXPECT_EQ(ReadAll(wave, 8), Ramp(8));
}

// A count of extra bytes larger than its chunk reads on into the next
// chunk, as mmio knows nothing of chunks when reading; larger than the
// file, it fails.
TEST_F(WaveFileTest, ExtraBytesBeyondTheFormatChunk) {
    Bytes fmt = FormatBody(0x55, 1, 22050, 16);
    Put16(&fmt, 6);
    Bytes chunks = Chunk("fmt ", fmt);
    Append(&chunks, Chunk("data", Ramp(10)));
    Put(Riff(chunks));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    const std::uint8_t* extra = reinterpret_cast<const std::uint8_t*>(wave.GetFormat()) + sizeof(WaveFormatEx);
    EXPECT_EQ(Bytes(extra, extra + 6), (Bytes{'d', 'a', 't', 'a', 10, 0}));
    EXPECT_EQ(wave.GetSize(), 10u);
}

TEST_F(WaveFileTest, RefusedFilesFailWithNothingKept) {
    auto cbSizePastTheFile = [] {
        Bytes fmt = FormatBody(0x55, 1, 22050, 16);
        Put16(&fmt, 1000);
        return Riff(Chunk("fmt ", fmt));
    };
    auto withoutData = [] { return Riff(Chunk("fmt ", FormatBody(1, 1, 22050, 16))); };
    auto withoutFormat = [] { return Riff(Chunk("data", Ramp(40))); };
    auto shortFormat = [] {
        Bytes fmt = FormatBody(1, 1, 22050, 16);
        fmt.resize(14);
        Bytes chunks = Chunk("fmt ", fmt);
        Append(&chunks, Chunk("data", Ramp(40)));
        return Riff(chunks);
    };
    auto formatLongerThanTheFile = [] {
        Bytes chunks = Chunk("fmt ", FormatBody(1, 1, 22050, 16), 5000);
        Append(&chunks, Chunk("data", Ramp(40)));
        return Riff(chunks);
    };
    // The data chunk lies beyond the end the RIFF chunk gives itself.
    auto dataOutsideTheRiff = [] {
        Bytes chunks = Chunk("fmt ", FormatBody(1, 1, 22050, 16));
        std::size_t size = chunks.size() + 4;
        Append(&chunks, Chunk("data", Ramp(40)));
        return Riff(chunks, "WAVE", (long long)size);
    };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"not RIFF", [] { Bytes b = PcmWav(Ramp(10)); b[3] = 'X'; return b; }()},
        {"RIFF of another form", Riff(Chunk("fmt ", FormatBody(1, 1, 22050, 16)), "AVI ")},
        {"format chunk of 14 bytes", shortFormat()},
        {"no format chunk", withoutFormat()},
        {"no data chunk", withoutData()},
        {"empty file", Bytes{}},
        {"RIFF header without its form", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0}},
        {"extra bytes past the end of the file", cbSizePastTheFile()},
        {"format chunk longer than the file", formatLongerThanTheFile()},
        {"data chunk outside the RIFF chunk", dataOutsideTheRiff()},
    };
    for (const auto& c : cases) {
        Put(c.file);
        WaveFile wave;
        EXPECT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundFail) << c.what;
        EXPECT_EQ(wave.GetFormat(), nullptr) << c.what;
        EXPECT_EQ(wave.GetSize(), 0u) << c.what;
        std::uint8_t buf[4];
        std::uint32_t got = 99;
        EXPECT_EQ(wave.Read(buf, 4, &got), kSoundNotInitialized) << c.what;
        EXPECT_EQ(got, 0u) << c.what;
    }
}

// The data chunk says 1000 bytes, the file ends 600 bytes into it.
TEST_F(WaveFileTest, TruncatedFileReadsWhatItHolds) {
    Bytes file = PcmWav(Ramp(1000));
    file.resize(file.size() - 400);
    Put(file);
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    EXPECT_EQ(wave.GetSize(), 1000u);
    EXPECT_EQ(ReadAll(wave, 256), Ramp(600));
}

TEST_F(WaveFileTest, FileFoundOnlyAsAResourceIsReadFromMemory) {
    for (const char* type : {"WAVE", "WAV"}) {
        hostsim::ResetSound();
        hostsim::AddSoundResource(kPath, type, PcmWav(Ramp(300, 3)));
        WaveFile wave;
        ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk) << type;
        EXPECT_EQ(wave.GetSize(), 300u);
        EXPECT_EQ(ReadAll(wave, 128), Ramp(300, 3)) << type;
        std::vector<std::string> calls = hostsim::TakeSoundCalls({"mmioOpen", "FindResource"});
        std::vector<std::string> wanted = {"mmioOpen file bytes 0 -> fail", "FindResource WAVE -> found bytes 344",
                                           "mmioOpen memory bytes 344 -> 1"};
        if (std::string(type) == "WAV") {
            wanted[1] = "FindResource WAVE -> absent";
            wanted.insert(wanted.begin() + 2, "FindResource WAV -> found bytes 344");
        }
        EXPECT_EQ(calls, wanted) << type;
    }
}

TEST_F(WaveFileTest, NeitherFileNorResourceFails) {
    WaveFile wave;
    EXPECT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundFail);
    EXPECT_EQ(wave.GetFormat(), nullptr);
}

TEST_F(WaveFileTest, OnlyReadModeAndANameAreTaken) {
    Put(PcmWav(Ramp(10)));
    WaveFile wave;
    EXPECT_EQ(wave.Open(kPath, nullptr, 2), kSoundInvalidArg);
    EXPECT_EQ(wave.Open(nullptr, nullptr, kWaveFileRead), kSoundInvalidArg);
}

// The bank opens a file only for its format and closes it at once.
TEST_F(WaveFileTest, CloseKeepsTheFormatButEndsReading) {
    Put(PcmWav(Ramp(10), 2, 8));
    WaveFile wave;
    ASSERT_EQ(wave.Open(kPath, nullptr, kWaveFileRead), kSoundOk);
    wave.Close();
    ASSERT_NE(wave.GetFormat(), nullptr);
    EXPECT_EQ(wave.GetFormat()->channels, 2);
    std::uint8_t buf[4];
    std::uint32_t got = 0;
    EXPECT_EQ(wave.Read(buf, 4, &got), kSoundNotInitialized);
    EXPECT_EQ(wave.ResetFile(), kSoundNotInitialized);
}

// [SECTION] The simulated mmio's chunk walk

class SimMmio : public ::testing::Test {
protected:
    PlatMmio Open(const Bytes& bytes) {
        hostsim::PutSoundMemoryFile("C:\\walk.wav", bytes);
        return PlatMmioOpen("C:\\walk.wav", nullptr, kMmioAllocBuffer | kMmioRead);
    }
    TestHost host;
};

TEST_F(SimMmio, FindingAChunkStepsOverOthersAndTheirPadBytes) {
    Bytes chunks = Chunk("aaaa", Bytes(3, 1));  // 8 + 3 + pad
    Append(&chunks, Chunk("bbbb", Bytes(2, 2)));
    Append(&chunks, Chunk("data", Bytes{7, 8, 9}));
    PlatMmio mmio = Open(Riff(chunks));
    MmioChunk riff{};
    ASSERT_EQ(PlatMmioDescend(mmio, &riff, nullptr, 0), kMmioOk);
    EXPECT_EQ(riff.dataOffset, 8u);
    EXPECT_EQ(PlatMmioSeek(mmio, 0, kMmioSeekCurrent), 12);  // past the form type
    MmioChunk data{};
    data.id = kFourCCData;
    ASSERT_EQ(PlatMmioDescend(mmio, &data, &riff, kMmioFindChunk), kMmioOk);
    EXPECT_EQ(data.dataOffset, 12u + 12 + 10 + 8);
    EXPECT_EQ(data.size, 3u);
    std::uint8_t body[3];
    EXPECT_EQ(PlatMmioRead(mmio, body, 3), 3);
    EXPECT_EQ(Bytes(body, body + 3), (Bytes{7, 8, 9}));
    ASSERT_EQ(PlatMmioAscend(mmio, &data, 0), kMmioOk);
    EXPECT_EQ(PlatMmioSeek(mmio, 0, kMmioSeekCurrent), std::int32_t(data.dataOffset + 4));  // and the pad byte
    PlatMmioClose(mmio);
}

// Each file holds a "data" chunk the search must not reach.
TEST_F(SimMmio, AFailedSearchLeavesThePositionWhereItWas) {
    auto lying = [](std::uint32_t size) {
        Bytes chunks = Chunk("aaaa", Bytes(4, 1), size);
        Append(&chunks, Chunk("data", Bytes(4, 5)));
        return Riff(chunks);
    };
    auto outsideTheParent = [] {
        Bytes chunks = Chunk("aaaa", Bytes(4, 1));
        Append(&chunks, Chunk("data", Bytes(4, 5)));
        return Riff(chunks, "WAVE", 4 + 12);
    };
    auto cutShort = [] {
        Bytes chunks = Chunk("aaaa", Bytes(4, 1));
        Append(&chunks, Bytes{'d', 'a', 't', 'a', 4});
        return Riff(chunks, "WAVE", 1000);
    };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"chunk size past 2 GiB", lying(0x7FFFFFF0)},
        {"chunk size that would wrap", lying(0xFFFFFFFF)},
        {"wanted chunk after the parent's end", outsideTheParent()},
        {"header cut short", cutShort()},
    };
    for (const auto& c : cases) {
        PlatMmio mmio = Open(c.file);
        MmioChunk riff{};
        ASSERT_EQ(PlatMmioDescend(mmio, &riff, nullptr, 0), kMmioOk) << c.what;
        MmioChunk data{};
        data.id = kFourCCData;
        EXPECT_EQ(PlatMmioDescend(mmio, &data, &riff, kMmioFindChunk), kMmioChunkNotFound) << c.what;
        EXPECT_EQ(PlatMmioSeek(mmio, 0, kMmioSeekCurrent), 12) << c.what;
        PlatMmioClose(mmio);
    }
}

TEST_F(SimMmio, SeekingPastTheEndOfADiskFileReadsNothing) {
    PlatMmio mmio = Open(Ramp(100));
    EXPECT_EQ(PlatMmioSeek(mmio, 5000, kMmioSeekSet), 5000);
    std::uint8_t b[4];
    EXPECT_EQ(PlatMmioRead(mmio, b, 4), 0);
    EXPECT_EQ(PlatMmioSeek(mmio, -1, kMmioSeekSet), -1);
    EXPECT_EQ(PlatMmioSeek(mmio, -2, kMmioSeekEnd), 98);
    EXPECT_EQ(PlatMmioRead(mmio, b, 4), 2);
    EXPECT_EQ(b[0], 98);
    PlatMmioClose(mmio);
}

// Direct buffer access: the buffer holds the first 8 KB, an advance the rest.
TEST_F(SimMmio, AdvanceLoadsTheNextPartOfTheFile) {
    PlatMmio mmio = Open(Ramp(10000));
    MmioInfo info{};
    ASSERT_EQ(PlatMmioGetInfo(mmio, &info), kMmioOk);
    info.next = info.endRead;
    ASSERT_EQ(PlatMmioAdvance(mmio, &info, kMmioRead), kMmioOk);
    EXPECT_EQ(info.endRead - info.next, 8192);
    EXPECT_EQ(std::uint8_t(info.next[8191]), 8191 % 251);
    info.next = info.endRead;
    ASSERT_EQ(PlatMmioAdvance(mmio, &info, kMmioRead), kMmioOk);
    EXPECT_EQ(info.endRead - info.next, 10000 - 8192);
    EXPECT_EQ(info.bufferOffset, 8192);
    EXPECT_EQ(std::uint8_t(info.next[0]), 8192 % 251);
    info.next = info.endRead;
    ASSERT_EQ(PlatMmioAdvance(mmio, &info, kMmioRead), kMmioOk);
    EXPECT_EQ(info.endRead, info.next);  // the end
    char elsewhere = 0;
    info.next = &elsewhere;
    EXPECT_EQ(PlatMmioSetInfo(mmio, &info), kMmioInvalidParam);
    PlatMmioClose(mmio);
}

TEST_F(SimMmio, MemoryFileReadsTheCallersBytesAndCannotSeekPastThem) {
    Bytes bytes = Ramp(50);
    MmioInfo info{};
    info.ioProc = kFourCCMemory;
    info.bufferSize = 50;
    info.buffer = reinterpret_cast<char*>(bytes.data());
    PlatMmio mmio = PlatMmioOpen(nullptr, &info, kMmioRead);
    ASSERT_NE(mmio, nullptr);
    std::uint8_t b[60];
    EXPECT_EQ(PlatMmioRead(mmio, b, 60), 50);
    EXPECT_EQ(PlatMmioSeek(mmio, 51, kMmioSeekSet), -1);
    EXPECT_EQ(PlatMmioSeek(mmio, 10, kMmioSeekSet), 10);
    EXPECT_EQ(PlatMmioRead(mmio, b, 1), 1);
    EXPECT_EQ(b[0], 10);
    PlatMmioClose(mmio);
}

}  // namespace
