// The program's arguments in the host simulator's text, UTF-8.
#pragma once

#include <string>
#include <vector>

namespace host {

// argv without the program's name: as given where the terminal's text is UTF-8; on Windows
// read again from the wide command line, since main's arguments are in the system's code
// page, which may lack a character of a value or of a file's name.
std::vector<std::string> utf8_arguments(int argc, char** argv);

}  // namespace host
