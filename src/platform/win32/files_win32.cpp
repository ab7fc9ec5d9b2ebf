// files_win32.cpp - the file part of the platform seam on the real Win32 API.
#include <windows.h>

#include "platform/platform_files.h"

int PlatFileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int PlatFileReplace(const char* from, const char* to) {
    // The written data goes to the disk before the name moves, so that after
    // a power cut the name never points at a file the disk does not hold.
    HANDLE file = CreateFileA(from, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int PlatFileDelete(const char* path) {
    return DeleteFileA(path) ? 1 : 0;
}
