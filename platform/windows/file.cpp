// Windows side of opening a file for reading (reading and closing it:
// platform/windows/file_reading.cpp). This file is used for Windows only.
#include "platform/file.h"

#include <windows.h>

namespace platform {

FileHandle open_file_for_reading(const char* path) noexcept {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    return file;
}

}  // namespace platform
