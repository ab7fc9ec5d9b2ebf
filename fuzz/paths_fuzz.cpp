// paths_fuzz.cpp - any bytes as the module's own path and as the paths the
// user picks in the view file dialogs. The simulator's folder is the module
// path less its last two parts, the view file folder follows every file
// chosen (and only a file chosen), both stay within their 260 bytes, and
// shut-down leaves no temporary file behind, whatever the paths.
#include <cstdint>
#include <cstring>
#include <string>

#include "files/view_file.h"
#include "fuzz_support.h"
#include "shell/lifecycle.h"
#include "shell/main_state.h"

namespace {

// The path as the module gets it: up to its first NUL, at most 259 bytes.
std::string AsCText(const std::string& bytes, std::size_t limit) {
    std::string text = bytes.substr(0, bytes.find('\0'));
    return text.size() > limit ? text.substr(0, limit) : text;
}

std::string LessLastPart(const std::string& path) {
    std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(0, cut);
}

bool Terminated(const char (&text)[kPathSize]) {
    return std::memchr(text, 0, kPathSize) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshHost();
    fuzz::Bytes in{data, size};
    const std::string modulePath = in.Take(in.U16() % 400);
    hostsim::Get().modulePath = modulePath;

    hostsim::LoadModule();
    const std::string simFolder = LessLastPart(LessLastPart(AsCText(modulePath, kPathSize - 1)));
    FUZZ_CHECK(Terminated(g_shell.SimFolder) && simFolder == g_shell.SimFolder);
    FUZZ_CHECK(std::strcmp(g_shell.ViewFileFolder, g_shell.SimFolder) == 0);
    char config[kPathSize];
    ConfigFilePath(config, sizeof config);
    FUZZ_CHECK((simFolder + "\\Skyvane2004.cfg").compare(0, kPathSize - 1, config) == 0);

    // Up to four dialogs: open or save, chosen or cancelled, any path.
    for (int i = 0; i < 4 && !in.Empty(); i++) {
        const std::uint8_t how = in.U8();
        const std::string path = in.Take(in.U16() % 400);
        const std::string content = in.Take(in.U8());
        const std::string before = g_shell.ViewFileFolder;
        hostsim::Get().fileDialogAnswers.push_back(hostsim::FileDialogAnswer{(how & 1) != 0, path});
        const bool save = (how & 2) != 0;
        const std::string chosen = AsCText(path, ~std::size_t(0));
        if (!save) hostsim::SetMemoryFile(chosen, content);
        const std::size_t shown = hostsim::Get().fileDialogs.size();
        if (save) {
            SaveViewFileCommand(hostsim::FindWindowByName("main"));
        } else {
            LoadViewFileCommand(hostsim::FindWindowByName("main"));
        }
        FUZZ_CHECK(hostsim::Get().fileDialogs.size() == shown + 1);
        FUZZ_CHECK(hostsim::Get().fileDialogs.back().initialFolder == before);
        FUZZ_CHECK(Terminated(g_shell.ViewFileFolder));
        // A path longer than the dialog's 259 characters fails the dialog.
        const bool taken = (how & 1) && path.size() <= kPathSize - 1;
        FUZZ_CHECK(g_shell.ViewFileFolder == (taken ? LessLastPart(chosen) : before));
        if (taken && save) {
            std::string written;
            FUZZ_CHECK(hostsim::GetMemoryFile(chosen, &written));
            FUZZ_CHECK(written.size() >= 10 * 59 && written.compare(0, 7, "View.0=") == 0);  // ten lines, each at least View.N=0 and seven 0.0000
        }
    }

    hostsim::UnloadModule();
    std::string ignored;
    FUZZ_CHECK(!hostsim::GetMemoryFile(std::string(config) + ".tmp", &ignored));
    return 0;
}
