// stream_check - reads the stream ALSA's file plugin wrote for wine's audio
// (a WAV header, then the mixed samples; the header's sizes may still be 0
// while the stream is open) and tells silence from sound in 50 ms windows:
// a window is silent when all its bytes are zero, which is what the mixer
// writes when nothing plays, whatever the sample format. It prints the
// timeline ('.' silent, '#' sound) and succeeds when the stream is silence,
// then one unbroken stretch of sound of at least half a second, then
// silence, each silence at least a quarter of a second.
//
//   stream_check STREAM.wav
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

static std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

static bool Read(const char* path, std::vector<std::uint8_t>* bytes) {
    std::FILE* in = std::fopen(path, "rb");
    if (!in) return false;
    std::uint8_t buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) bytes->insert(bytes->end(), buf, buf + n);
    std::fclose(in);
    return true;
}

int main(int argc, char** argv) {
    std::vector<std::uint8_t> b;
    if (argc != 2 || !Read(argv[1], &b)) {
        std::fprintf(stderr, "usage: stream_check STREAM.wav (a file that exists)\n");
        return 2;
    }
    if (b.size() < 12 || Le32(b.data()) != 0x46464952 || Le32(b.data() + 8) != 0x45564157) {
        std::fprintf(stderr, "stream_check: %s is not a WAV stream\n", argv[1]);
        return 1;
    }
    std::uint32_t rate = 0, frame = 0;
    std::size_t data = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        std::uint32_t id = Le32(&b[at]), size = Le32(&b[at + 4]);
        if (id == 0x20746D66 && at + 24 <= b.size()) {  // "fmt "
            rate = Le32(&b[at + 12]);
            frame = std::uint32_t(b[at + 20] | b[at + 21] << 8);
        }
        if (id == 0x61746164) {  // "data": to the end of the file
            data = at + 8;
            break;
        }
        at += 8 + std::size_t(size) + (size & 1);
    }
    if (!rate || !frame || !data) {
        std::fprintf(stderr, "stream_check: no format or no data in %s\n", argv[1]);
        return 1;
    }
    std::size_t window = std::size_t(rate / 20) * frame;
    std::string line;
    for (std::size_t at = data; at + window <= b.size(); at += window) {
        bool sound = false;
        for (std::size_t i = at; i < at + window && !sound; ++i) sound = b[i] != 0;
        line += sound ? '#' : '.';
    }
    std::printf("stream %u Hz, %u bytes a frame, %zu windows of 50 ms\n%s\n", rate, frame, line.size(), line.c_str());
    std::size_t first = line.find('#'), last = line.rfind('#');
    if (first == std::string::npos) {
        std::printf("stream_check: the stream is silent throughout\n");
        return 1;
    }
    bool unbroken = line.find('.', first) > last;
    bool ok = first >= 5 && line.size() - 1 - last >= 5 && last - first + 1 >= 10 && unbroken;
    std::printf("stream_check: %s\n",
                ok ? "silence, sound, silence" : "not silence, then one stretch of sound, then silence");
    return ok ? 0 : 1;
}
