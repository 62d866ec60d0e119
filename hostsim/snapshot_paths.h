// What a snapshot makes of the paths a script names, in UTF-8 (converted from the machine's
// code page first, so that no byte of a double-byte character is read as a backslash): the
// registry keys it exports, and where a file goes in the machine folder.
#pragma once

#include <string>

namespace hostsim {

// A key path as the registry reads it: doubled and trailing backslashes count once. "" for
// a path that opens nothing (empty, or starting with a backslash).
std::string key_path(const std::string& typed);

// True when key is outer or lies below it, letter case aside (A-Z folded, as the registry
// folds them; other letters are compared as they are).
bool lies_within(const std::string& key, const std::string& outer);

// Where the file a script names goes in the machine folder, through the one mapping the
// fleet reads it by (text/machine_path.h); "" when it has no place there: a path from the
// root of no named drive, on a drive without a root, or climbing out with "..".
std::string place_in_folder(const std::string& path);

}  // namespace hostsim
