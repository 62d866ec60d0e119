// Windows side of the loader seam: the VISA library (loading any library by its path:
// platform/windows/library_handles.cpp). This file is used for Windows only.
#include "platform/loader.h"

#include <windows.h>

#include <cstring>

#include "platform/windows/loader_calls.h"

namespace platform {

LoadLibraryExFunction load_library_ex = LoadLibraryExA;

namespace {

// The libraries a system library imports are searched for where it lies and in the system
// folder only: the usual order starts with the program's folder, which for an installer
// may be a download folder holding anything.
constexpr DWORD system_folder_search = LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;

// Loads the library at the full path, restricting the search for what it imports. A
// system without that search support rejects the flags as an invalid parameter; there
// the full path alone is the best that can be done.
HMODULE load_from_system_folder(const char* path) {
    HMODULE module = load_library_ex(path, nullptr, system_folder_search);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryA(path);
    return module;
}

}  // namespace

// The full path of visa32.dll in the system directory, so that the search order (which
// starts with the program's folder and may include the current directory) never applies
// to it, nor to the libraries it imports. A 32-bit process on 64-bit Windows is
// redirected to the 32-bit system folder, where VISA installs its 32-bit library.
LibraryHandle load_visa_library() noexcept {
    static const char file_name[] = "\\visa32.dll";
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof file_name > MAX_PATH) return nullptr;
    std::memcpy(path + length, file_name, sizeof file_name);
    return load_from_system_folder(path);
}

}  // namespace platform
