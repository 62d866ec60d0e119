// Stand-in side of the code-page conversions, for builds away from Windows: through UTF-16,
// as Windows converts, with the code page's own table (text/standin/code_page_table.h), or
// as UTF-8 itself for 65001. Bytes that are not UTF-8 read as U+FFFD, as Windows reads them.
#include "text/code_page.h"

#include <cstdlib>

#include "text/standin/code_page_table.h"

namespace code_page {
namespace {

constexpr unsigned utf8 = 65001;

// For a byte that starts a UTF-8 sequence of more than one byte: how many bytes follow it,
// the bits of the code point it holds, and the range its first following byte must lie in
// (narrower after E0, ED, F0 and F4: no overlong form, surrogate or point past U+10FFFF).
struct SequenceStart {
    std::size_t following = 0;
    char32_t bits = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

SequenceStart sequence_start(unsigned char first) {
    if (first >= 0xC2 && first <= 0xDF) return {1, first & 0x1Fu};
    if (first == 0xE0) return {2, 0, 0xA0};
    if (first == 0xED) return {2, 0xD, 0x80, 0x9F};
    if (first >= 0xE1 && first <= 0xEF) return {2, first & 0x0Fu};
    if (first == 0xF0) return {3, 0, 0x90};
    if (first >= 0xF1 && first <= 0xF3) return {3, first & 0x07u};
    if (first == 0xF4) return {3, 4, 0x80, 0x8F};
    return {};
}

// The code point the UTF-8 text starts with, and in length the bytes it takes. Bytes that
// are not UTF-8 read as one U+FFFD for the longest start of a sequence they hold, at least
// one byte, so that what follows is read again from the next byte that can start one.
char32_t next_code_point(std::string_view text, std::size_t& length) {
    const auto first = static_cast<unsigned char>(text[0]);
    length = 1;
    if (first < 0x80) return first;
    SequenceStart start = sequence_start(first);
    if (start.following == 0) return replacement_character;
    char32_t point = start.bits;
    for (std::size_t i = 1; i <= start.following; ++i) {
        const auto byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (byte < start.low || byte > start.high) return replacement_character;
        start.low = 0x80;
        start.high = 0xBF;
        point = point << 6 | (byte & 0x3Fu);
        length = i + 1;
    }
    return point;
}

void append_utf8(char32_t point, std::string& out) {
    if (point >= 0xD800 && point <= 0xDFFF) point = replacement_character;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The code point in the code page, a unit of UTF-16 at a time: a point beyond U+FFFF is two
// units, and a code page gives each of them its default character, "??".
void append_in_code_page(char32_t point, const Table& table, std::string& out) {
    if (point < 0x10000) {
        table.append_unit(static_cast<char16_t>(point), out);
        return;
    }
    table.append_unit(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)), out);
    table.append_unit(static_cast<char16_t>(0xDC00 + (point & 0x3FF)), out);
}

}  // namespace

unsigned machine_code_page() {
    const char* stated = std::getenv("VANTREL_CODE_PAGE");
    if (stated == nullptr || *stated == '\0') return western;
    char* end = nullptr;
    const unsigned long number = std::strtoul(stated, &end, 10);
    return *end == '\0' && number > 0 && number < 65536 ? static_cast<unsigned>(number) : western;
}

bool known(unsigned code_page) {
    return code_page == utf8 || Table::built_in(code_page) != nullptr;
}

void to_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    const Table* table = Table::built_in(code_page);
    while (!text.empty()) {
        std::size_t length = 1;
        char32_t point = replacement_character;
        if (code_page == utf8) point = next_code_point(text, length);
        else if (table != nullptr) point = table->to_unit(text, length);
        else if (static_cast<unsigned char>(text[0]) < 0x80) point = static_cast<unsigned char>(text[0]);
        text.remove_prefix(length);
        append_utf8(point, out);
    }
}

void from_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    const Table* table = Table::built_in(code_page);
    while (!text.empty()) {
        std::size_t length = 0;
        const char32_t point = next_code_point(text, length);
        text.remove_prefix(length);
        if (code_page == utf8) append_utf8(point, out);
        else if (table != nullptr) append_in_code_page(point, *table, out);
        else out += point < 0x80 ? static_cast<char>(point) : '?';
    }
}

LeadBytes lead_bytes(unsigned code_page) {
    const Table* table = Table::built_in(code_page);
    return table != nullptr ? table->leads() : LeadBytes{};
}

}  // namespace code_page
