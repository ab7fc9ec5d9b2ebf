// view_file_fuzz.cpp - any bytes as a view file. Reading leaves ten presets
// of finite numbers; the file written from them has ten lines, and reading it
// back gives every value within the four decimals it was written with,
// wherever the written field fits what the reader takes (127 characters, so
// up to about 1e122; a larger value is cut like any overlong field).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/view_file.h"
#include "fuzz_support.h"

namespace {

const char* const kFile = "C:\\FS9\\views.skv";
const char* const kWritten = "C:\\FS9\\written.skv";

double Field(const ViewPreset& p, int i) {
    return i < 3 ? p.eye[i] : (i < 6 ? p.head[i - 3] : p.zoom);
}

// Characters "%.4f" writes for the value.
int WrittenLength(double value) {
    return std::snprintf(nullptr, 0, "%.4f", value);
}

int Lines(const std::string& text) {
    int n = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) n++;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::UseMemoryFiles(true);
    hostsim::ResetFiles();
    hostsim::SetMemoryFile(kFile, std::string(reinterpret_cast<const char*>(data), size));

    ClearViewPresets();
    LoadViewFile(kFile);
    ViewPreset read[kViewPresetCount];
    std::memcpy(read, g_viewPresets, sizeof read);
    for (const ViewPreset& p : read) {
        for (int i = 0; i < 7; i++) FUZZ_CHECK(std::isfinite(Field(p, i)));
    }

    SaveViewFile(kWritten);
    const std::string written = fuzz::FileBytes(kWritten);
    FUZZ_CHECK(Lines(written) == kViewPresetCount);
    FUZZ_CHECK(written.compare(0, 7, "View.0=") == 0);

    ClearViewPresets();
    LoadViewFile(kWritten);
    for (int index = 0; index < kViewPresetCount; index++) {
        const ViewPreset& before = read[index];
        const ViewPreset& after = g_viewPresets[index];
        FUZZ_CHECK(after.kind == before.kind);
        int lineLength = std::snprintf(nullptr, 0, "View.%d=%d", index, before.kind);
        for (int i = 0; i < 7; i++) lineLength += 1 + WrittenLength(Field(before, i));
        if (lineLength > 1023) continue;  // the reader cuts such a line
        for (int i = 0; i < 7; i++) {
            const double v = Field(before, i);
            if (WrittenLength(v) > 127) continue;
            // Four decimals, then the double nearest to them.
            const double tolerance = 0.00005 + std::fabs(v) * 4.5e-16;
            FUZZ_CHECK(std::fabs(Field(after, i) - v) <= tolerance);
        }
    }
    return 0;
}
