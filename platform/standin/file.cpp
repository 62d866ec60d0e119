// Stand-in side of file reading, for builds away from Windows: POSIX descriptors.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "test_hooks/allocation_scope.h"
#include "text/code_page.h"

namespace platform {
namespace {

// Descriptor 0 is a valid one, so handles carry the descriptor plus one.
int descriptor_of(FileHandle file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1);
}

}  // namespace

// The path is in the machine's code page, as an ANSI path is on Windows, and file names
// here are UTF-8: a folder named 表 is 95 5C to the libraries in code page 932. A backslash
// separates folders, as on Windows; read as a character, never inside another one.
FileHandle open_file_for_reading(const char* path) noexcept try {
    std::string name;
    {
        const StandinAllocationScope standin;
        code_page::to_utf8(path, code_page::machine_code_page(), name);
    }
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    const int descriptor = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return nullptr;
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(descriptor) + 1);
} catch (...) {
    return nullptr;
}

std::size_t read_file(FileHandle file, unsigned char* buffer, std::size_t size) noexcept {
    for (;;) {
        const ssize_t read_count = read(descriptor_of(file), buffer, size);
        if (read_count >= 0) return static_cast<std::size_t>(read_count);
        if (errno != EINTR) return 0;
    }
}

void close_file(FileHandle file) noexcept {
    if (file != nullptr) close(descriptor_of(file));
}

}  // namespace platform
