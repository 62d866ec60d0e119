// The code-page tables built into the stand-in, and reading them. Each is the NLS file Wine
// ships for the code page (VANTREL_NLS_FOLDER/c_<number>.nls), taken whole into the library
// at build time. Its layout is that of Windows' own NLS files, in 16-bit little-endian words:
// - a header: its size in words, the code page, the longest character in bytes, the default
//   character, the default Unicode character, two more defaults, then 12 bytes of lead-byte
//   ranges (first and last byte, a zero pair after the last);
// - the table into UTF-16: the offset from here to the table out of UTF-16, 256 units (one a
//   byte), a count of glyph units and those units, a count of lead-byte ranges and, when there
//   are any, 256 offsets (one a byte, 0 where the byte leads nothing) to runs of 256 units (one
//   a trail byte), counted from the first offset;
// - the table out of UTF-16: one word saying which kind, then 65536 entries, one a unit: bytes
//   for a single-byte code page, words for a double-byte one (a lead byte above the trail).
#include "text/standin/code_page_table.h"

#include <array>
#include <iterator>
#include <optional>

#include "text/utf8.h"

// The ANSI code pages of Windows machines, each built in from the file of its number.
#define VANTREL_ANSI_CODE_PAGES(X) \
    X(874) X(932) X(936) X(949) X(950) X(1250) X(1251) X(1252) X(1253) X(1254) X(1255) X(1256) X(1257) X(1258)

// The file's bytes between two symbols of this library, aligned for its words.
#define VANTREL_BUILD_IN(number)                                                                  \
    asm(".pushsection .rodata\n"                                                                 \
        ".balign 4\n"                                                                            \
        ".globl vantrel_code_page_" #number "\n"                                                 \
        ".hidden vantrel_code_page_" #number "\n"                                                \
        "vantrel_code_page_" #number ":\n"                                                       \
        ".incbin \"" VANTREL_NLS_FOLDER "/c_" #number ".nls\"\n"                                 \
        ".globl vantrel_code_page_" #number "_end\n"                                             \
        ".hidden vantrel_code_page_" #number "_end\n"                                            \
        "vantrel_code_page_" #number "_end:\n"                                                   \
        ".popsection\n");                                                                        \
    extern "C" __attribute__((visibility("hidden"))) const std::uint16_t vantrel_code_page_##number[]; \
    extern "C" __attribute__((visibility("hidden"))) const std::uint16_t vantrel_code_page_##number##_end[];

VANTREL_ANSI_CODE_PAGES(VANTREL_BUILD_IN)

namespace code_page {
namespace {

struct BuiltInFile {
    unsigned code_page;
    const std::uint16_t* begin;
    const std::uint16_t* end;
};

#define VANTREL_FILE_ENTRY(number) {number, vantrel_code_page_##number, vantrel_code_page_##number##_end},
const BuiltInFile built_in_files[] = {VANTREL_ANSI_CODE_PAGES(VANTREL_FILE_ENTRY)};

constexpr std::size_t header_lead_bytes = 7;  // the word where the lead-byte ranges start
constexpr std::size_t lead_range_bytes = 12;
constexpr std::size_t single_byte_table_words = 65536 / 2;
constexpr std::size_t double_byte_table_words = 65536;

// The lead bytes the header's ranges name.
LeadBytes header_leads(const std::uint16_t* words) {
    LeadBytes leads{};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(words + header_lead_bytes);
    for (std::size_t range = 0; range + 1 < lead_range_bytes && bytes[range] != 0; range += 2) {
        for (unsigned byte = bytes[range]; byte <= bytes[range + 1]; ++byte) leads.lead[byte] = true;
    }
    return leads;
}

std::array<std::optional<Table>, std::size(built_in_files)> read_built_in_files() {
    std::array<std::optional<Table>, std::size(built_in_files)> tables;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const BuiltInFile& file = built_in_files[i];
        Table table;
        if (table.read_file(file.code_page, file.begin, static_cast<std::size_t>(file.end - file.begin))) tables[i] = table;
    }
    return tables;
}

}  // namespace

const Table* Table::built_in(unsigned code_page) {
    static const auto tables = read_built_in_files();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (built_in_files[i].code_page == code_page) return tables[i] ? &*tables[i] : nullptr;
    }
    return nullptr;
}

bool Table::read_file(unsigned code_page, const std::uint16_t* words, std::size_t count) {
    const std::size_t header = count > 0 ? words[0] : 0;
    if (header < header_lead_bytes + lead_range_bytes / 2 || header >= count || words[1] != code_page) return false;
    leads_ = header_leads(words);
    // The table out of UTF-16 starts past its kind word.
    const std::size_t wide = header + words[header] + 1;
    std::size_t at = header + 1;
    multi_byte_ = words + at;
    at += 256;
    if (at >= wide) return false;
    at += 1 + words[at];  // the glyph units, which conversions do not use
    if (at >= wide) return false;
    const bool double_byte = words[at++] != 0;
    if (double_byte) {
        double_byte_ = words + at;
        double_byte_count_ = wide - 1 - at;
        if (double_byte_count_ < 256) return false;
    }
    if (wide + (double_byte ? double_byte_table_words : single_byte_table_words) > count) return false;
    if (double_byte) wide_to_double_ = words + wide;
    else wide_to_single_ = reinterpret_cast<const std::uint8_t*>(words + wide);
    return true;
}

char16_t Table::to_unit(std::string_view text, std::size_t& length) const {
    const auto first = static_cast<unsigned char>(text[0]);
    length = 1;
    const std::size_t offset = double_byte_ != nullptr ? double_byte_[first] : 0;
    if (offset == 0) return multi_byte_[first];
    if (text.size() < 2) return static_cast<char16_t>(utf8::replacement);
    length = 2;
    const std::size_t at = offset + static_cast<unsigned char>(text[1]);
    return at < double_byte_count_ ? double_byte_[at] : static_cast<char16_t>(utf8::replacement);
}

void Table::append_unit(char16_t unit, std::string& out) const {
    if (wide_to_single_ != nullptr) {
        out += static_cast<char>(wide_to_single_[unit]);
        return;
    }
    const std::uint16_t bytes = wide_to_double_[unit];
    if (bytes > 0xFF) out += static_cast<char>(bytes >> 8);
    out += static_cast<char>(bytes & 0xFF);
}

}  // namespace code_page
