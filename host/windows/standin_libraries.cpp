// Windows side of the stand-in libraries: the stand-in builds lie in the folder standin
// beside hostsim.exe, each named NAME_standin.dll, the VISA stand-in visa_standin.dll
// among them. They share this process's C runtime (msvcrt), whose environment they read.
// This file is used for Windows only.
#include "host/standin_libraries.h"

#include <windows.h>

#include <cstdlib>

#include "host/program_location.h"

namespace host {
namespace {

const char standin_folder[] = "standin\\";

}  // namespace

std::string standin_library_path(const std::string& base_name) {
    return executable_directory() + standin_folder + base_name + "_standin.dll";
}

// By its full path, and what it imports from its own folder or the system's.
platform::LibraryHandle load_visa_standin() {
    return LoadLibraryExA(standin_library_path("visa").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::string visa_standin_advice() {
    return standin_library_path("visa") + " is missing: hostsim.exe needs the folder standin of its release beside it";
}

// Through the C runtime, which the libraries read the environment through; an empty value
// removes the variable there, and the stand-ins read a missing one as empty.
void set_standin_variable(const char* name, const char* value) {
    _putenv((std::string(name) + "=" + (value != nullptr ? value : "")).c_str());
}

}  // namespace host
