// Stand-in side of the stand-in libraries: natively the project's libraries are the stand-in
// builds, beside hostsim, and the VISA stand-in is libvisa.so, found by the dynamic loader
// (LD_LIBRARY_PATH, or the run path a release gives hostsim and libdriver.so).
#include "host/standin_libraries.h"

#include <cstdlib>

#include "host/program_location.h"

namespace host {

std::string standin_library_path(const std::string& base_name) {
    return executable_directory() + library_file_name(base_name);
}

platform::LibraryHandle load_visa_standin() {
    return platform::load_visa_library();
}

std::string visa_standin_advice() {
    return "put the VISA stand-in's folder (" + executable_directory() + "visa/full) on LD_LIBRARY_PATH";
}

void set_standin_variable(const char* name, const char* value) {
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

}  // namespace host
