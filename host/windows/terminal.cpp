// Windows side: the console. This file is used for Windows only.
#include "host/terminal.h"

#include <io.h>
#include <stdio.h>

namespace host {

bool error_stream_is_terminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace host
