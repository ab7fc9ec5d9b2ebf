// platform_files.h - the file system beyond opening a file (PlatFileOpen in
// platform.h): whether a file is there, and replacing a file in one step so
// that a crash or a full disk never leaves it cut short.
#pragma once

// 1 when a file exists at the path, whether or not it can be opened.
int PlatFileExists(const char* path);
// Put the file `from` in the place of `to` in one step, replacing `to`; both
// are in the same folder. The data of `from` reaches the disk first, and at
// no moment is `to` anything but the old file or the whole new one.
// 1 when done; 0 leaves both as they were.
int PlatFileReplace(const char* from, const char* to);
// Remove the file; 1 when done.
int PlatFileDelete(const char* path);
