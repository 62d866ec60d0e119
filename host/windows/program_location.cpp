// Windows side of the program's location. This file is used for Windows only.
#include "host/program_location.h"

#include <windows.h>

namespace host {

std::string library_file_name(const std::string& base_name) {
    return base_name + ".dll";
}

std::string executable_directory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

}  // namespace host
