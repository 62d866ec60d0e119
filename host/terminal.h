// The terminal the host simulator writes to: whether its error stream is one (progress is
// shown there only), and the terminal's text in UTF-8, for files that are read anywhere.
#pragma once

#include <string>

namespace host {

// True when standard error is a terminal (not a file or a pipe).
bool error_stream_is_terminal();

// Text in the terminal's form (what machine_for_terminal gives, what scripts are read in)
// as UTF-8: natively it is UTF-8 already; on Windows it is the system's code page.
std::string terminal_to_utf8(const std::string& text);

}  // namespace host
