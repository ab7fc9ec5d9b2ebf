// file_replace.cpp - whole-or-nothing rewriting of a file.
#include "files/file_replace.h"

#include <cstring>

#include "files/number_text.h"
#include "files/text_file.h"
#include "platform/platform_files.h"

// Windows paths have at most 259 characters; the temporary file's name must
// fit too, or nothing is written.
static constexpr std::size_t kTempPathSize = 260;

int ReplaceTextFile(const char* path, FileContentWriter write, const void* context) {
    char temp[kTempPathSize];
    if (!CopyText(temp, sizeof temp, path) || std::strlen(temp) + 4 >= sizeof temp) return 0;
    std::strcat(temp, ".tmp");

    std::FILE* file = OpenTextFileForWriting(temp);
    if (!file) return 0;
    write(file, context);
    int written = std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0) written = 0;
    if (written && PlatFileReplace(temp, path)) return 1;
    PlatFileDelete(temp);
    return 0;
}
