// Windows side of the VISA fixture: visa32.dll in the system directory, where VISA
// installs it. This file is used for Windows only.
#include "support/visa_fixture.h"

#include <windows.h>

#include <cstdlib>

namespace testing_support {

std::string visa_install_path() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\visa32.dll";
}

// A 32-bit process on 64-bit Windows reaches the 64-bit System32 as Sysnative (its own
// System32 is redirected to SysWOW64); a 64-bit process has SysWOW64 beside its own.
bool other_system_folder(std::string& folder) {
    char path[MAX_PATH] = {};
    if (sizeof(void*) == 8) {
        const UINT length = GetSystemWow64DirectoryA(path, MAX_PATH);
        folder = path;
        return length > 0 && length < MAX_PATH;
    }
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    folder = std::string(path) + "\\Sysnative";
    return length > 0 && length < MAX_PATH;
}

std::string visa_file_name() {
    return "visa32.dll";
}

std::string visa_helper_file_name() {
    return "visahelp.dll";
}

std::string process_id() {
    return std::to_string(GetCurrentProcessId());
}

// Both the C runtime's copy of the environment, which the stand-in reads, and the process's.
void set_environment(const std::string& name, const std::string& value) {
    _putenv((name + "=" + value).c_str());
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

}  // namespace testing_support
