// The terminal the host simulator writes to: whether its error stream is one (progress is
// shown there only).
#pragma once

namespace host {

// True when standard error is a terminal (not a file or a pipe).
bool error_stream_is_terminal();

}  // namespace host
