// Stand-in side of the code-page conversions, for builds away from Windows: through UTF-16,
// as Windows converts, with the code page's own table (text/standin/code_page_table.h), or
// as UTF-8 itself for 65001. Bytes that are not UTF-8 read as U+FFFD, as Windows reads them.
#include "text/code_page.h"

#include <cstdlib>

#include "text/standin/code_page_table.h"
#include "text/utf8.h"

namespace code_page {
namespace {

constexpr unsigned utf8_code_page = 65001;

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
    return code_page == utf8_code_page || Table::built_in(code_page) != nullptr;
}

void to_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    const Table* table = Table::built_in(code_page);
    while (!text.empty()) {
        std::size_t length = 1;
        char32_t point = utf8::replacement;
        if (code_page == utf8_code_page) point = utf8::next(text, length);
        else if (table != nullptr) point = table->to_unit(text, length);
        else if (static_cast<unsigned char>(text[0]) < 0x80) point = static_cast<unsigned char>(text[0]);
        text.remove_prefix(length);
        utf8::append(point, out);
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
        const char32_t point = utf8::next(text, length);
        text.remove_prefix(length);
        if (code_page == utf8_code_page) utf8::append(point, out);
        else if (table != nullptr) append_in_code_page(point, *table, out);
        else out += point < 0x80 ? static_cast<char>(point) : '?';
    }
}

LeadBytes lead_bytes(unsigned code_page) {
    const Table* table = Table::built_in(code_page);
    return table != nullptr ? table->leads() : LeadBytes{};
}

}  // namespace code_page
