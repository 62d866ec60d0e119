// Stand-in side of file reading, for builds away from Windows: POSIX descriptors. The
// current folder stands for the machine: a Windows path names the file where a machine's
// folder keeps it (C:\dir\file.h is drive_c/dir/file.h, text/machine_path.h).
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

#include "test_hooks/allocation_scope.h"
#include "text/code_page.h"
#include "text/machine_path.h"

namespace platform {
namespace {

// Descriptor 0 is a valid one, so handles carry the descriptor plus one.
int descriptor_of(FileHandle file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1);
}

}  // namespace

// The path is in the machine's code page, as an ANSI path is on Windows, and file names
// here are UTF-8: a folder named 表 is 95 5C to the libraries in code page 932. Converted
// first, so that the mapping below reads a backslash only where it is a character of its
// own, never the second byte of another.
FileHandle open_file_for_reading(const char* path) noexcept try {
    std::string name;
    {
        const StandinAllocationScope standin;
        code_page::to_utf8(path, code_page::machine_code_page(), name);
    }
    // Room for any path an export passes (they hold fewer than 260 characters, at most 390
    // bytes as UTF-8) once mapped.
    std::array<char, 1024> local_path;
    if (!machine_path::to_machine_folder(name.c_str(), local_path.data(), local_path.size())) return nullptr;
    const int descriptor = open(local_path.data(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
