// Stand-in side of the loader seam: the dynamic loader of the system the build runs on.
#include "platform/loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

namespace platform {

LibraryHandle load_library(const char* path) noexcept {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* find_symbol(LibraryHandle library, const char* name) noexcept {
    return library != nullptr ? dlsym(library, name) : nullptr;
}

void free_library(LibraryHandle library) noexcept {
    if (library != nullptr) dlclose(library);
}

std::string library_file_name(const std::string& base_name) {
    return "lib" + base_name + ".so";
}

std::string executable_directory() {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    std::string folder(path.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/') + 1);
}

}  // namespace platform
