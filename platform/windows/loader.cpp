// Windows side of the loader seam. This file is used for Windows only.
#include "platform/loader.h"

#include <windows.h>

namespace platform {

LibraryHandle load_library(const char* path) noexcept {
    return LoadLibraryA(path);
}

void* find_symbol(LibraryHandle library, const char* name) noexcept {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void free_library(LibraryHandle library) noexcept {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string library_file_name(const std::string& base_name) {
    return base_name + ".dll";
}

std::string executable_directory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

}  // namespace platform
