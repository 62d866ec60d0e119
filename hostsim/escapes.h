// Control characters shown and typed as \r, \n, \t, \\ and \xNN.
#pragma once

#include <string>

namespace hostsim {

std::string escape(const std::string& text);

// The reverse of escape(); false when a backslash starts no known escape.
bool unescape(const std::string& text, std::string& out);

}  // namespace hostsim
