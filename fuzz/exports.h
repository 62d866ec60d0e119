// The libraries under fuzzing, loaded once as the host loads them, and their exports.
#pragma once

#include <string>

#include "host/library.h"

namespace fuzzing {

// The export, or nullptr when the library lacks it.
host::ExportFunction find_export(const std::string& library, const std::string& name);

// Every export of both libraries.
extern const char* const vantrel_exports[];
extern const char* const driver_exports[];

}  // namespace fuzzing
