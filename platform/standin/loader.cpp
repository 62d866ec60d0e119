// Stand-in side of the loader seam: the dynamic loader of the system the build runs on.
#include "platform/loader.h"

#include <dlfcn.h>

#include "test_hooks/allocation_scope.h"

namespace platform {

// The dynamic loader allocates for its own bookkeeping, as LoadLibrary does on Windows.
LibraryHandle load_library(const char* path) noexcept {
    const StandinAllocationScope loader;
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* find_symbol(LibraryHandle library, const char* name) noexcept {
    const StandinAllocationScope loader;
    return library != nullptr ? dlsym(library, name) : nullptr;
}

void free_library(LibraryHandle library) noexcept {
    const StandinAllocationScope loader;
    if (library != nullptr) dlclose(library);
}

// Away from Windows VISA is "libvisa.so", found through the dynamic loader's own search
// path (which never includes the current directory unless the environment says so).
LibraryHandle load_visa_library() noexcept {
    const StandinAllocationScope loader;
    return dlopen("libvisa.so", RTLD_NOW | RTLD_LOCAL);
}

}  // namespace platform
