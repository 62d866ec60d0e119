// Stand-in only: the indexed registry, kept from one call to the next while its source is
// unchanged.
#pragma once

#include <memory>

#include "regfile/export_index.h"

namespace platform {

// An indexed registry; keys opened in it keep it (and its file) alive after the source has
// changed.
using Snapshot = std::shared_ptr<const regfile::Export>;

// The registry of the .reg file at path (nullptr or "": none), or of the text the program
// supplies when it does. A missing or malformed file is an empty registry.
Snapshot registry_snapshot(const char* path);

}  // namespace platform
