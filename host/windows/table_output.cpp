// Windows side of the table output: standard output in binary mode. This file is used for
// Windows only.
#include "host/table_output.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

namespace host {

void write_lines_as_they_are() {
    std::cout.flush();
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace host
