// Windows side: the console, whose text hostsim.exe writes in the system's code page. This
// file is used for Windows only.
#include "host/terminal.h"

#include <io.h>
#include <stdio.h>

#include "text/code_page.h"

namespace host {

bool error_stream_is_terminal() {
    return _isatty(_fileno(stderr)) != 0;
}

std::string terminal_to_utf8(const std::string& text) {
    std::string utf8;
    code_page::to_utf8(text, code_page::machine_code_page(), utf8);
    return utf8;
}

}  // namespace host
