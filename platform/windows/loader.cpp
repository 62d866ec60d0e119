// Windows side of the loader seam. This file is used for Windows only.
#include "platform/loader.h"

#include <windows.h>

#include <cstring>

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

// The full path of visa32.dll in the system directory, so that the search order (which
// starts with the program's folder and may include the current directory) never applies.
// A 32-bit process on 64-bit Windows is redirected to the 32-bit system folder, where
// VISA installs its 32-bit library.
LibraryHandle load_visa_library() noexcept {
    static const char file_name[] = "\\visa32.dll";
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof file_name > MAX_PATH) return nullptr;
    std::memcpy(path + length, file_name, sizeof file_name);
    return LoadLibraryA(path);
}

}  // namespace platform
