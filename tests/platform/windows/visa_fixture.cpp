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
