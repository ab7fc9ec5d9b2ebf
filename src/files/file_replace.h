// file_replace.h - rewriting a file whole or not at all: the new content goes
// into a temporary file beside it ("NAME.tmp"), which then takes the file's
// place in one step. A crash, a full disk or a failed write leaves the old
// file as it was.
#pragma once

#include <cstdio>

// Writes the new content into the open file.
using FileContentWriter = void (*)(std::FILE* file, const void* context);

// 1 when the file now holds exactly what write wrote; 0 when anything
// failed, and then the file is untouched and no temporary file is left.
int ReplaceTextFile(const char* path, FileContentWriter write, const void* context);
