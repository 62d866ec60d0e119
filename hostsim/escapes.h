// Control characters shown and typed as \r, \n, \t, \\ and \xNN, in text of the machine's
// code page: a double-byte character stays whole, so the second byte of 表 (95 5C in code
// page 932) is never taken for a backslash.
#pragma once

#include <string>

#include "platform/text.h"

namespace hostsim {

// For text without double-byte characters: UTF-8, or a single-byte code page.
inline constexpr platform::LeadBytes no_lead_bytes{};

std::string escape(const std::string& text, const platform::LeadBytes& lead_bytes);

// The reverse of escape(); false when a backslash starts no known escape.
bool unescape(const std::string& text, std::string& out, const platform::LeadBytes& lead_bytes);

// A value of the machine as the terminal shows it: escaped, in the terminal's text (natively
// UTF-8, converted from the machine's code page; on Windows the system's code page).
std::string shown(const std::string& machine_text);

// Text typed at the terminal or in a script, escapes read, as the machine's code page holds
// it: a character the code page lacks becomes "?". False for a bad escape.
bool typed(const std::string& typed_text, std::string& machine_text);

}  // namespace hostsim
