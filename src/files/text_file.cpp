// text_file.cpp - text files through the platform's file seam.
#include "files/text_file.h"

#include <cstdarg>

#include "platform/platform.h"

std::FILE* OpenTextFileForWriting(const char* path) {
    return PlatFileOpen(path, "wb");
}

std::FILE* OpenTextFileForReading(const char* path) {
    return PlatFileOpen(path, "rb");
}

void TextPrintf(std::FILE* file, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    for (const char* p = text; *p; p++) {
        if (*p == '\n') std::fputc('\r', file);
        std::fputc(*p, file);
    }
}
