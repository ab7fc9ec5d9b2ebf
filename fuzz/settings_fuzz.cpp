// settings_fuzz.cpp - thirty registry values of any bytes and lengths. What
// start-up reads is saved as text the loader takes whole (at most 255
// characters), and that text reads back as the value that was saved: ints
// exactly, doubles to the six decimals of "%f" (exactly where a larger value
// is written in the exponent form). Nothing falls back to its default.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "shell/settings.h"

namespace {

std::string StoredText(const char* name) {
    hostsim::RegKey* key = hostsim::FindRegKey(kSettingsKey);
    FUZZ_CHECK(key != nullptr);
    const hostsim::RegValue* value = hostsim::FindRegValue(*key, name);
    FUZZ_CHECK(value != nullptr);
    return std::string(value->data.begin(), value->data.end());
}

bool SameValue(const MainState& a, const MainState& b, const SettingInfo& info) {
    return std::memcmp(reinterpret_cast<const char*>(&a) + info.offset, reinterpret_cast<const char*>(&b) + info.offset,
                       info.type == kSettingInt ? sizeof(int) : sizeof(double)) == 0;
}

double DoubleOf(const MainState& s, const SettingInfo& info) {
    double v;
    std::memcpy(&v, reinterpret_cast<const char*>(&s) + info.offset, sizeof v);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshHost();
    fuzz::Bytes in{data, size};
    // Each value: a length (any, up to 600 bytes) and that many bytes; a
    // length with its top bit set leaves the value out.
    hostsim::RegKey& key = hostsim::CreateRegKey(kSettingsKey);
    for (const SettingInfo& info : kSettings) {
        std::uint16_t length = in.U16();
        if (length & 0x8000) continue;
        std::string bytes = in.Take(length % 601);
        key.values.push_back(hostsim::RegValue{info.name, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
    }

    MainState loaded{};
    SetDefaultSettings(&loaded);
    LoadSettings(&loaded);
    for (const SettingInfo& info : kSettings) {
        if (info.type == kSettingDouble) FUZZ_CHECK(std::isfinite(DoubleOf(loaded, info)));
    }
    SaveSettings(&loaded);

    // Every saved text fits the loader's buffer and formats again as itself.
    for (const SettingInfo& info : kSettings) {
        const std::string text = StoredText(info.name);
        FUZZ_CHECK(text.size() >= 2 && text.size() <= std::size_t(kSettingTextMax) + 1);
        FUZZ_CHECK(text.back() == 0 && text.find('\0') == text.size() - 1);
        MainState again{};
        ParseSetting(&again, info, text.c_str());
        char formatted[300];
        FormatSetting(&again, info, formatted, sizeof formatted);
        FUZZ_CHECK(std::strcmp(formatted, text.c_str()) == 0);
        if (info.type == kSettingInt) {
            FUZZ_CHECK(SameValue(again, loaded, info));
        } else {
            const double before = DoubleOf(loaded, info), after = DoubleOf(again, info);
            FUZZ_CHECK(std::fabs(after - before) <= 0.0000005 + std::fabs(before) * 2.3e-16);
        }
    }

    // The next start-up reads every one of them.
    MainState next{};
    SetDefaultSettings(&next);
    LoadSettings(&next);
    MainState direct{};
    for (const SettingInfo& info : kSettings) {
        ParseSetting(&direct, info, StoredText(info.name).c_str());
        FUZZ_CHECK(SameValue(next, direct, info));
    }
    return 0;
}
