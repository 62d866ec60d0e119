// Loading libraries at run time: LoadLibraryA/GetProcAddress/FreeLibrary on Windows,
// the dynamic loader elsewhere.
#pragma once

#include <string>

namespace platform {

using LibraryHandle = void*;

// Loads the library at path; nullptr when it cannot be loaded.
LibraryHandle load_library(const char* path) noexcept;

// Address of an exported symbol; nullptr when the library has none of that name.
void* find_symbol(LibraryHandle library, const char* name) noexcept;

void free_library(LibraryHandle library) noexcept;

// File name of a library built by this project: "vantrel" -> "vantrel.dll" or "libvantrel.so".
std::string library_file_name(const std::string& base_name);

// Folder of the running program, ending in its path separator.
std::string executable_directory();

}  // namespace platform
