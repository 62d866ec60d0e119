// Text the system hands the host simulator, in its own text, UTF-8: the program's arguments
// and the system's error messages.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace host {

// argv without the program's name: as given where the terminal's text is UTF-8; on Windows
// read again from the wide command line, since main's arguments are in the system's code
// page, which may lack a character of a value or of a file's name.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// The error's message: on Windows the system writes it in its code page.
std::string error_text(const std::error_code& error);

}  // namespace host
