// The stand-in's loader, built for Windows (the stand-in libraries beside hostsim.exe): the
// system's loader, and for VISA the VISA stand-in that lies beside the stand-in library
// itself (visa_standin.dll), never the computer's own VISA. This file is used for Windows only.
#include "platform/loader.h"

#include <windows.h>

#include <string>

namespace platform {

LibraryHandle load_visa_library() noexcept try {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&load_visa_library), &self)) {
        return nullptr;
    }
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::string visa(path, length);
    visa = visa.substr(0, visa.find_last_of("\\/") + 1) + "visa_standin.dll";
    return LoadLibraryExA(visa.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
} catch (...) {
    return nullptr;
}

}  // namespace platform
