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

// The machine's ANSI code page: the one the stand-in models, VANTREL_CODE_PAGE (a number),
// when the host simulator states one; otherwise on Windows the one the system reports, and
// elsewhere 1252.
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

// The bytes that start a double-byte character of a code page (932, 936, 949 and 950 have
// them; single-byte code pages none). The byte after one belongs to the same character,
// whatever it is: in 932, ア is 83 41 and 表 is 95 5C.
struct LeadBytes {
    std::array<bool, 256> lead;

    bool starts_pair(char c) const noexcept { return lead[static_cast<unsigned char>(c)]; }

    // Where the next character starts after the one at text, in zero-terminated text: past
    // a lead byte and the byte after it, or past one byte. A lead byte followed by the
    // terminating zero is a character alone, so that the zero is never stepped over.
    const char* after_character(const char* text) const noexcept {
        return starts_pair(text[0]) && text[1] != '\0' ? text + 2 : text + 1;
    }
};

// The lead bytes of the code page (on Windows as GetCPInfo reports them).
LeadBytes lead_bytes(unsigned code_page);

// Whether the text holds nothing but ASCII, which reads the same in every code page.
inline bool ascii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace code_page
