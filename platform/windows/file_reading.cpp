// Windows side of reading an opened file and closing it, for the deliverables and for the
// stand-in libraries beside hostsim.exe alike: they differ only in how a path is opened
// (platform/windows/file.cpp, platform/standin/windows/file.cpp). Used for Windows only.
#include "platform/file.h"

#include <windows.h>

namespace platform {

std::size_t read_file(FileHandle file, unsigned char* buffer, std::size_t size) noexcept {
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(file), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
    return read;
}

void close_file(FileHandle file) noexcept {
    if (file != nullptr) CloseHandle(static_cast<HANDLE>(file));
}

}  // namespace platform
