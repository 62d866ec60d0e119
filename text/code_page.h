// Text in a Windows ANSI code page and in UTF-8, converted as the ANSI functions of Windows
// convert it: what the registry holds is Unicode, and a program that asks for 8-bit text
// gets it in the machine's code page, a character that code page lacks as its best fit
// where Windows has one (６ as 6), else as "?".
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace code_page {

// The Western default, and what the stand-in models unless it is told otherwise.
constexpr unsigned western = 1252;

// The machine's ANSI code page: on Windows the one the system reports; elsewhere the one the
// stand-in models, VANTREL_CODE_PAGE (a number), 1252 when that is unset.
unsigned machine_code_page();

// Whether the code page can be converted here (the stand-in: whether it has the code page's
// table built in, or it is 65001, UTF-8).
bool known(unsigned code_page);

// Appends the bytes of text, in code_page, to out as UTF-8, as Windows reads them (a
// double-byte pair the code page does not define as its default character); a lead byte
// with nothing after it, or in 65001 bytes that are not UTF-8, as U+FFFD.
void to_utf8(std::string_view text, unsigned code_page, std::string& out);

// Appends the UTF-8 text to out in code_page: a character the code page lacks becomes its
// best fit or "?", and bytes that are not UTF-8 read as U+FFFD, which becomes "?".
void from_utf8(std::string_view text, unsigned code_page, std::string& out);

// For every byte, whether it starts a double-byte character of the code page: all false for
// a single-byte code page.
using LeadBytes = std::array<bool, 256>;
LeadBytes lead_bytes(unsigned code_page);

// Whether the text holds nothing but ASCII, which reads the same in every code page.
inline bool ascii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace code_page
