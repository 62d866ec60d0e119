// An export read from its file (builds away from Windows): the file stays open for as long
// as the index lives, and a key's values are read from it when they are asked for.
#pragma once

#include <memory>
#include <string>

#include "regfile/export_index.h"

namespace regfile {

// A file that cannot be opened is an export that is not ok, on line 0.
std::shared_ptr<const Export> read_export_file(const std::string& path, ValueCheck check);

}  // namespace regfile
