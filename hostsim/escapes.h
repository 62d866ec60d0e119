// The host simulator's text is UTF-8, on every side: a script's lines, the arguments, what
// it prints. A machine's text crosses into the machine's ANSI code page where it reaches
// the libraries and comes back from it, converted by the system's functions on Windows and
// by the stand-in's tables elsewhere (text/code_page.h). Control characters are shown and
// typed as \r, \n, \t, \\, \" and \xNN.
#pragma once

#include <string>

#include "platform/text.h"

namespace hostsim {

// Control characters escaped in UTF-8 text, where no byte of a character of more than one
// byte is ASCII: the second byte of 表 (95 5C in code page 932) is no backslash here.
std::string escape(const std::string& utf8_text);

// Escapes read in text of a code page whose lead bytes are given, a character at a time, so
// that the second byte of a double-byte character starts no escape. False when a backslash
// starts no known escape.
bool unescape(const std::string& text, std::string& out, const platform::LeadBytes& lead_bytes);

// A text of the machine (in its code page) as UTF-8, for a reader or a machine folder.
std::string terminal_text(const std::string& machine_text);

// A value of the machine as hostsim shows it: converted to UTF-8, then escaped.
std::string shown(const std::string& machine_text);

// Text typed in a script or as an argument (UTF-8), escapes read, as the machine's code page
// holds it: converted first, so that \x83\x41 gives the code page's bytes themselves; a
// character the code page lacks is converted as its ANSI functions convert it. False for a
// bad escape.
bool typed(const std::string& typed_text, std::string& machine_text);

}  // namespace hostsim
