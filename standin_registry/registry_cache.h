// The stand-in's registry, indexed and kept from one call to the next while its source is
// unchanged: shared by the host simulator and the libraries it loads, so that the export the
// simulator reads to show a machine is not read again by the libraries.
#pragma once

#include <memory>
#include <string>

#include "regfile/export_index.h"

namespace standin_registry {

// An indexed registry; keys opened in it keep it (and its file) alive after the source has
// changed.
using Snapshot = std::shared_ptr<const regfile::Export>;

// The registry of the .reg file at path (nullptr or "": none), or of the text the program
// supplies when it does. A missing or malformed file is an empty registry.
Snapshot registry_snapshot(const char* path);

// The registry of the .reg file at path read afresh with every line checked, so that the
// caller can name the lines that cannot be read (or why the file cannot be read at all);
// registry_snapshot(path) gives it to the calls after while the file is unchanged.
Snapshot checked_registry_snapshot(const std::string& path);

}  // namespace standin_registry
