// Where the host side (host simulator, tests) finds the project's own libraries.
#pragma once

#include <string>

namespace host {

// File name of a library built by this project: "vantrel" -> "vantrel.dll" or "libvantrel.so".
std::string library_file_name(const std::string& base_name);

// Folder of the running program, ending in its path separator.
std::string executable_directory();

}  // namespace host
