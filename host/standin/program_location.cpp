// Stand-in side of the program's location, for builds away from Windows.
#include "host/program_location.h"

#include <unistd.h>

#include <array>

namespace host {

std::string library_file_name(const std::string& base_name) {
    return "lib" + base_name + ".so";
}

std::string executable_directory() {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    std::string folder(path.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/') + 1);
}

}  // namespace host
