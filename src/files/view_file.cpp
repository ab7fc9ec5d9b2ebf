// view_file.cpp - the view preset table, the ".skv" view files that hold it
// and the file dialogs that name them.
#include "files/view_file.h"

#include <cstdio>
#include <cstring>

#include "files/number_text.h"
#include "files/text_file.h"

ViewPreset g_viewPresets[kViewPresetCount];

void ClearViewPresets() {
    std::memset(g_viewPresets, 0, sizeof g_viewPresets);
}

// [SECTION] Writing

void SaveViewFile(const char* path) {
    std::FILE* file = OpenTextFileForWriting(path);
    if (!file) return;
    // "View.%d=%d,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f\n", a field at a time:
    // a huge value takes over 300 characters, and a whole line could pass
    // the 1023 that one TextPrintf writes, losing its line end.
    for (int i = 0; i < kViewPresetCount; i++) {
        const ViewPreset& p = g_viewPresets[i];
        TextPrintf(file, "View.%d=%d", i, p.kind);
        const double values[7] = {p.eye[0], p.eye[1], p.eye[2], p.head[0], p.head[1], p.head[2], p.zoom};
        for (double value : values) TextPrintf(file, ",%.4f", value);
        TextPrintf(file, "\n");
    }
    std::fclose(file);
}

// [SECTION] Reading

namespace {

constexpr std::size_t kLineSize = 1024;   // 1023 characters and the terminator
constexpr std::size_t kFieldSize = 128;   // 127 characters and the terminator
constexpr char kLinePrefix[] = "View.";

// The next line into line, its end (LF, or CR LF) removed; a line that
// reaches 1023 characters ends there. 0 at the end of the file, also for a
// last piece that has no line end of its own.
int ReadLine(std::FILE* file, char (&line)[kLineSize]) {
    std::size_t n = 0;
    while (n < kLineSize - 1) {
        int c = std::fgetc(file);
        if (c == EOF) return 0;
        if (c == '\n') break;
        if (c == '\r') {
            int next = std::fgetc(file);
            if (next == '\n') break;
            if (next != EOF) std::ungetc(next, file);
        }
        line[n++] = char(c);
    }
    line[n] = 0;
    return 1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Copy the field at text (leading blanks skipped, up to the next comma or
// the end) into field, keeping at most its first 127 characters. Returns
// where the next field begins.
const char* TakeField(const char* text, char (&field)[kFieldSize]) {
    while (IsBlank(*text)) text++;
    std::size_t n = 0;
    for (; *text && *text != ','; text++) {
        if (n < kFieldSize - 1) field[n++] = *text;
    }
    field[n] = 0;
    return *text == ',' ? text + 1 : text;
}

// Apply one "View." line. 0 when its index is outside the table, which ends
// the reading.
int ApplyLine(const char* line) {
    int index = ParseLeadingInt(line + sizeof kLinePrefix - 1);
    if (index < 0 || index >= kViewPresetCount) return 0;
    // Without an equals sign every field is missing and counts as 0.
    const char* equals = std::strchr(line, '=');
    const char* text = equals ? equals + 1 : "";
    char field[kFieldSize];
    ViewPreset& p = g_viewPresets[index];
    text = TakeField(text, field);
    p.kind = ParseLeadingInt(field);
    double* const values[7] = {&p.eye[0], &p.eye[1], &p.eye[2], &p.head[0], &p.head[1], &p.head[2], &p.zoom};
    for (double* value : values) {
        text = TakeField(text, field);
        *value = ParseLeadingDouble(field);
    }
    return 1;
}

}  // namespace

void LoadViewFile(const char* path) {
    std::FILE* file = OpenTextFileForReading(path);
    if (!file) return;
    char line[kLineSize];
    while (ReadLine(file, line)) {
        if (std::strncmp(line, kLinePrefix, sizeof kLinePrefix - 1) != 0) continue;
        if (!ApplyLine(line)) break;
    }
    std::fclose(file);
}

// [SECTION] Dialogs

namespace {

constexpr std::uint32_t kOverwritePrompt = 0x00000002;  // OFN_OVERWRITEPROMPT
constexpr std::uint32_t kHideReadOnly = 0x00000004;     // OFN_HIDEREADONLY
constexpr std::uint32_t kExplorer = 0x00080000;         // OFN_EXPLORER
constexpr std::uint32_t kLongNames = 0x00200000;        // OFN_LONGNAMES
// The literal's own terminator closes the filter list.
constexpr char kFilter[] = "SkyvanePro View File (*.skv)\0*.skv\0";

}  // namespace

int ChooseViewFile(PlatWindow owner, int save, char (&path)[kPathSize], char (&folder)[kPathSize]) {
    // Both dialogs take the same flags: the open dialog accepts names of
    // files that do not exist.
    const PlatFileDialog dialog{owner,        save ? 1 : 0, kFilter, "skv", save ? "Save file" : "Open file",
                                folder,       kOverwritePrompt | kHideReadOnly | kExplorer | kLongNames};
    char chosen[kPathSize] = {};
    if (!PlatChooseFile(dialog, chosen, sizeof chosen)) return 0;
    CopyText(folder, sizeof folder, chosen);
    if (char* cut = std::strrchr(folder, '\\')) *cut = 0;
    CopyText(path, sizeof path, chosen);
    return 1;
}

void LoadViewFileCommand(PlatWindow owner) {
    char path[kPathSize];
    if (ChooseViewFile(owner, 0, path, g_shell.ViewFileFolder)) LoadViewFile(path);
}

void SaveViewFileCommand(PlatWindow owner) {
    char path[kPathSize];
    if (ChooseViewFile(owner, 1, path, g_shell.ViewFileFolder)) SaveViewFile(path);
}
