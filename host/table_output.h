// A table on standard output is the same bytes on every system: its lines end in "\n" alone,
// where Windows' C runtime would write "\r\n", so that a fleet's table made on Windows can be
// set beside one made elsewhere, and read by the same tools.
#pragma once

namespace host {

// From now on, standard output writes "\n" as it is.
void write_lines_as_they_are();

}  // namespace host
