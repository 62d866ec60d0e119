// Stand-in side: a POSIX terminal, whose text the host simulator takes to be UTF-8.
#include "host/terminal.h"

#include <unistd.h>

namespace host {

bool error_stream_is_terminal() {
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace host
