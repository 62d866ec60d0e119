// Installer scripts for the host simulator: one step a line, variables kept between steps.
#pragma once

#include <iosfwd>
#include <string>

#include "hostsim/session.h"

namespace hostsim {

// Runs the script in file against the session, printing each step's outcome to out.
// Returns false, with "FILE:LINE: reason" in error, at the first step that fails.
bool run_script(const std::string& file, Session& session, const std::string& default_result,
                std::ostream& out, std::string& error);

extern const char* const script_help;

}  // namespace hostsim
