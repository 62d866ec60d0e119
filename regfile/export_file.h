// An export read from its file: the file stays open for as long
// as the index lives, and a key's values are read from it when they are asked for.
#pragma once

#include <memory>
#include <string>

#include "regfile/export_index.h"

namespace regfile {

// A file that cannot be opened is an export that is not ok, on line 0.
std::shared_ptr<const Export> read_export_file(const std::string& path, ValueCheck check);

// That export: no bytes, failed on line 0 with "cannot read PATH".
std::shared_ptr<const Export> unreadable_export(const std::string& path);

}  // namespace regfile
