// Stand-in side of the VISA fixture: libvisa.so in the first folder of LD_LIBRARY_PATH,
// which the test run sets to a folder of its own.
#include "support/visa_fixture.h"

#include <unistd.h>

#include <cstdlib>

namespace testing_support {

std::string visa_install_path() {
    const char* search_path = std::getenv("LD_LIBRARY_PATH");
    const std::string folders = search_path != nullptr ? search_path : "";
    const std::string first = folders.substr(0, folders.find(':'));
    return (first.empty() ? std::string("/tmp/vantrel-visa-search-path") : first) + "/libvisa.so";
}

// The dynamic loader has one search path, whatever the kind of process.
bool other_system_folder(std::string&) {
    return false;
}

std::string visa_file_name() {
    return "libvisa.so";
}

std::string visa_helper_file_name() {
    return "libvisahelp.so";
}

std::string process_id() {
    return std::to_string(getpid());
}

void set_environment(const std::string& name, const std::string& value) {
    if (value.empty()) {
        unsetenv(name.c_str());
    } else {
        setenv(name.c_str(), value.c_str(), 1);
    }
}

}  // namespace testing_support
