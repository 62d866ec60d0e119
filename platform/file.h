// Reading a file the host names: plain files only, without the C library's stream
// buffering (which allocates), so that an export keeps to its own fixed storage.
#pragma once

#include <cstddef>

namespace platform {

using FileHandle = void*;

// Opens an existing plain file for reading; nullptr for a missing file, a folder, or a
// device or pipe, whose reading could wait for ever.
FileHandle open_file_for_reading(const char* path) noexcept;

// Reads up to size bytes; 0 at the end of the file or on an error.
std::size_t read_file(FileHandle file, unsigned char* buffer, std::size_t size) noexcept;

void close_file(FileHandle file) noexcept;

}  // namespace platform
