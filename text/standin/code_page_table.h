// One code page's conversion table in the format of Windows' NLS files (c_<number>.nls): the
// table Windows' ANSI functions convert with, UTF-16 to and from the code page, best-fit
// characters and all. The stand-in's tables are Wine's files, built into the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/code_page.h"

namespace code_page {

class Table {
public:
    // The table built in for code_page, or null when there is none.
    static const Table* built_in(unsigned code_page);

    // Reads the table from the words of an NLS file; false when they are not one of
    // code_page, or are cut short.
    bool read_file(unsigned code_page, const std::uint16_t* words, std::size_t count);

    // The UTF-16 unit of the character text starts with, and in length the bytes it takes:
    // a double-byte character whole, a lead byte with nothing after it as U+FFFD.
    char16_t to_unit(std::string_view text, std::size_t& length) const;

    // Appends unit in the code page as Windows' ANSI functions give it: the code page's own
    // character, else the best fit the table holds (U+FF16 as "6"), else the default
    // character ("?"). A surrogate is a unit without a character, so each half gives one.
    void append_unit(char16_t unit, std::string& out) const;

    // The bytes that start a double-byte character, as GetCPInfo reports them.
    const LeadBytes& leads() const { return leads_; }

private:
    LeadBytes leads_{};
    const std::uint16_t* multi_byte_ = nullptr;    // 256 units, one a byte
    const std::uint16_t* double_byte_ = nullptr;   // per lead byte, an offset to 256 units; or null
    std::size_t double_byte_count_ = 0;
    const std::uint8_t* wide_to_single_ = nullptr; // 65536 bytes, one a unit; or null
    const std::uint16_t* wide_to_double_ = nullptr;  // 65536 words: a byte, or lead and trail
};

}  // namespace code_page
