// Windows side of loading a library by its path, finding its symbols and freeing it, for the
// deliverables and for the stand-in libraries beside hostsim.exe alike: they differ only in
// which VISA library they load (platform/windows/loader.cpp,
// platform/standin/windows/loader.cpp). Used for Windows only.
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

}  // namespace platform
