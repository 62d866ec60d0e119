// Loading libraries at run time: LoadLibraryA/GetProcAddress/FreeLibrary on Windows,
// the dynamic loader elsewhere.
#pragma once

namespace platform {

using LibraryHandle = void*;

// Loads the library at path; nullptr when it cannot be loaded.
LibraryHandle load_library(const char* path) noexcept;

// Address of an exported symbol; nullptr when the library has none of that name.
void* find_symbol(LibraryHandle library, const char* name) noexcept;

void free_library(LibraryHandle library) noexcept;

// Loads the VISA library from where the system installs it, and from nowhere else: an
// installer runs elevated, and a library of the same name planted in its folder or the
// current directory must never be loaded instead. nullptr when VISA is not installed.
LibraryHandle load_visa_library() noexcept;

}  // namespace platform
