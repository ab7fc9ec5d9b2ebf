// text_file.h - the module's text files. They are opened in binary mode and
// written with CR LF line ends on every platform, as a Windows text-mode
// stream would write them; readers accept CR LF and LF alike.
#pragma once

#include <cstdio>

// Empties (or creates) the file; null when it cannot be opened.
std::FILE* OpenTextFileForWriting(const char* path);
std::FILE* OpenTextFileForReading(const char* path);
// printf into the file, each "\n" written as CR LF. Output longer than
// 1023 characters per call is cut.
void TextPrintf(std::FILE* file, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
