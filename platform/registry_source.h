// Where the registry comes from when the host simulator is told to use a .reg file.
#pragma once

#include <string>

namespace platform {

// Makes the libraries loaded afterwards by this process see the registry described by
// the .reg file at path. False, with a one-line reason in error, when the file cannot be
// read or parsed, or when this platform reads its real registry instead. Lines of the
// file that cannot be read are skipped, each named on stderr with its line number.
bool use_registry_file(const std::string& path, std::string& error);

}  // namespace platform
