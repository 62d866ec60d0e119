// Windows side of file reading. This file is used for Windows only.
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

std::size_t read_file(FileHandle file, unsigned char* buffer, std::size_t size) noexcept {
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(file), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
    return read;
}

void close_file(FileHandle file) noexcept {
    if (file != nullptr) CloseHandle(static_cast<HANDLE>(file));
}

}  // namespace platform
