// The stand-in's file reading, built for Windows (the stand-in libraries beside hostsim.exe):
// as natively (platform/standin/file.cpp), the current folder stands for the machine, and a
// Windows path names the file where the machine's folder keeps it (text/machine_path.h),
// opened by its Unicode name. This file is used for Windows only.
#include "platform/file.h"

#include <windows.h>

#include <array>
#include <string>

#include "text/code_page.h"
#include "text/machine_path.h"

namespace platform {

// The path is in the machine's code page; mapped into the folder once it is UTF-8, so that
// a backslash is read only where it is a character of its own, never a second byte.
FileHandle open_file_for_reading(const char* path) noexcept try {
    std::string name;
    code_page::to_utf8(path, code_page::machine_code_page(), name);
    std::array<char, 1024> local_path;
    if (!machine_path::to_machine_folder(name.c_str(), local_path.data(), local_path.size())) return nullptr;
    const int length = MultiByteToWideChar(CP_UTF8, 0, local_path.data(), -1, nullptr, 0);
    if (length <= 0) return nullptr;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, local_path.data(), -1, &wide[0], length);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return nullptr;
    }
    return file;
} catch (...) {
    return nullptr;
}

}  // namespace platform
