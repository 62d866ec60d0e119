// The value lines of an export checked by their code units: bytes (UTF-8, or ANSI text that
// is all ASCII) or UTF-16LE units. Every character the syntax names is ASCII, so a unit
// beyond ASCII is only ever part of a name or of text. The rules are the entry parser's, for
// the entries that read without fault; anything else is answered false.
#include "regfile/value_check.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace regfile {
namespace {

// A UTF-16LE unit is read as it lies in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the builds' processors are little-endian");

bool is_blank(unsigned unit) {
    return unit == ' ' || unit == '\t';
}

constexpr bool is_hex(unsigned unit) {
    return unit - '0' < 10u || (unit | 0x20u) - 'a' < 6u;
}

// is_hex of a byte, looked up.
constexpr std::array<bool, 256> hex_bytes = [] {
    std::array<bool, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) table[byte] = is_hex(byte);
    return table;
}();

std::uint64_t eight_bytes(const char* at) {
    std::uint64_t bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

// A line's units from its first to its last that is not blank, one '\r' at the end left out
// first, as the entry parser trims a line. Runs of units are looked at eight bytes at a time.
template <std::size_t width>
class Units {
public:
    static constexpr std::size_t per_eight_bytes = 8 / width;

    explicit Units(const RawLine& line) : bytes_(line.bytes), end_(line.size / width) {
        if (end_ > 0 && (*this)[end_ - 1] == '\r') --end_;
        while (end_ > 0 && is_blank((*this)[end_ - 1])) --end_;
        while (begin_ < end_ && is_blank((*this)[begin_])) ++begin_;
    }

    unsigned operator[](std::size_t at) const {
        if constexpr (width == 1) {
            return static_cast<unsigned char>(bytes_[at]);
        } else {
            std::uint16_t unit;
            std::memcpy(&unit, bytes_ + 2 * at, 2);
            return unit;
        }
    }
    std::size_t begin() const { return begin_; }
    std::size_t end() const { return end_; }

    bool starts_with(std::size_t at, const char* ascii) const {
        for (; *ascii != '\0'; ++ascii, ++at) {
            if (at >= end_ || (*this)[at] != static_cast<unsigned char>(*ascii)) return false;
        }
        return true;
    }
    std::size_t after_blanks(std::size_t at, std::size_t end) const {
        while (at < end && is_blank((*this)[at])) ++at;
        return at;
    }
    // From the opening quote at `at` to just after its closing quote, a backslash taking the
    // unit after it along; false when the quote is not closed. A quote is closing when an
    // even run of backslashes (pairs, each taking the next along) stands before it.
    bool skip_quoted(std::size_t& at) const {
        for (std::size_t i = at + 1; (i = find_quote(i)) < end_; ++i) {
            std::size_t backslashes = 0;
            while ((*this)[i - 1 - backslashes] == '\\') ++backslashes;
            if (backslashes % 2 == 0) {
                at = i + 1;
                return true;
            }
        }
        return false;
    }
    bool hex_digits(std::size_t from, std::size_t to, std::size_t most) const {
        if (to <= from || to - from > most) return false;
        for (std::size_t i = from; i < to; ++i) {
            if (!is_hex((*this)[i])) return false;
        }
        return true;
    }
    // Hex bytes from `at` to `end`: one or two digits each, blanks around them, a comma after
    // each; the last may go without when the list ends there (is not continued).
    bool byte_items(std::size_t at, std::size_t end, bool continued) const {
        while (at < end) {
            while (end - at >= per_eight_bytes + 3 && two_digits_and_comma(at) && two_digits_and_comma(at + 3)) at += 6;
            while (end - at >= per_eight_bytes && two_digits_and_comma(at)) at += 3;
            if (at == end) break;
            at = after_blanks(at, end);
            const std::size_t digits_begin = at;
            while (at < end && at - digits_begin < 3 && is_hex((*this)[at])) ++at;
            if (at == digits_begin || at - digits_begin > 2) return false;
            at = after_blanks(at, end);
            if (at == end) return !continued;
            if ((*this)[at] != ',') return false;
            ++at;
        }
        return true;
    }

private:
    // The first '"' unit from `from` on, or end_.
    std::size_t find_quote(std::size_t from) const {
        const char* const end = bytes_ + width * end_;
        for (const char* at = bytes_ + width * from; at < end; ++at) {
            at = static_cast<const char*>(std::memchr(at, '"', static_cast<std::size_t>(end - at)));
            if (at == nullptr) break;
            // In UTF-16 the byte may be half of another unit.
            const auto offset = static_cast<std::size_t>(at - bytes_);
            if (width == 1 || (offset % 2 == 0 && at[1] == '\0')) return offset / width;
        }
        return end_;
    }
    // Two hex digits and a comma as regedit writes them, told from eight bytes at once (the
    // three tests combined without branching between them).
    bool two_digits_and_comma(std::size_t at) const {
        const std::uint64_t units = eight_bytes(bytes_ + width * at);
        unsigned holds;
        if constexpr (width == 1) {
            holds = (units >> 16 & 0xFF) == ',';
            holds &= hex_bytes[units & 0xFF];
            holds &= hex_bytes[units >> 8 & 0xFF];
        } else {
            holds = (units & 0x0000FFFFFF00FF00u) == 0x0000002C00000000u;
            holds &= hex_bytes[units & 0xFF];
            holds &= hex_bytes[units >> 16 & 0xFF];
        }
        return holds != 0;
    }

    const char* bytes_;
    std::size_t begin_ = 0;
    std::size_t end_;
};

// The part of a hex value's line before its continuation mark, without blanks at its end:
// end when the line is not continued.
template <std::size_t width>
std::size_t continued_before(const Units<width>& text, std::size_t from, bool& continued) {
    continued = text.end() > from && text[text.end() - 1] == '\\';
    if (!continued) return text.end();
    std::size_t end = text.end() - 1;
    while (end > from && is_blank(text[end - 1])) --end;
    return end;
}

bool ascii_or_unicode(const RawLine& line, Encoding encoding) {
    if (encoding != Encoding::ansi) return true;
    std::uint64_t high_bits = 0;
    std::size_t at = 0;
    for (; at + 8 <= line.size; at += 8) high_bits |= eight_bytes(line.bytes + at);
    for (; at < line.size; ++at) high_bits |= static_cast<unsigned char>(line.bytes[at]);
    return (high_bits & 0x8080808080808080u) == 0;
}

// The hex list from `at` on, and the lines it continues onto.
template <std::size_t width>
bool hex_list_reads(Units<width> text, std::size_t at, LineReader& lines, bool check_data) {
    for (;;) {
        bool continued = false;
        const std::size_t end = continued_before(text, at, continued);
        // A line continued after nothing, or after another backslash, is left to the parser.
        if (continued && (end == at || text[end - 1] == '\\')) return false;
        if (check_data && !text.byte_items(at, end, continued)) return false;
        if (!continued) return true;
        RawLine next;
        if (!lines.next_raw(next) || !ascii_or_unicode(next, lines.encoding())) return false;
        text = Units<width>(next);
        at = text.begin();
    }
}

// "hex:" or "hex(N):" at `at`, then the list.
template <std::size_t width>
bool hex_value_reads(const Units<width>& text, std::size_t at, LineReader& lines, bool check_data) {
    at += 3;
    if (at < text.end() && text[at] == '(') {
        std::size_t close = at + 1;
        while (close < text.end() && text[close] != ')') ++close;
        if (close == text.end() || !text.hex_digits(at + 1, close, 8)) return false;
        at = close + 1;
    }
    if (at == text.end() || text[at] != ':') return false;
    return hex_list_reads(text, at + 1, lines, check_data);
}

template <std::size_t width>
bool value_reads(const Units<width>& text, LineReader& lines, bool check_data) {
    std::size_t at = text.begin();
    if (text[at] == '"') {
        if (!text.skip_quoted(at)) return false;
    } else {
        ++at;  // '@', the default value
    }
    at = text.after_blanks(at, text.end());
    if (at == text.end() || text[at] != '=') return false;
    at = text.after_blanks(at + 1, text.end());
    if (at == text.end()) return !check_data;
    switch (text[at]) {
        case '-':
            if (text.end() - at == 1) return true;  // a deletion
            break;
        case 'h':
            if (text.starts_with(at, "hex")) return hex_value_reads(text, at, lines, check_data);
            break;
        case '"':
            return !check_data || (text.skip_quoted(at) && at == text.end());
        case 'd':
            return !check_data || (text.starts_with(at, "dword:") && text.hex_digits(at + 6, text.end(), 8));
    }
    return !check_data;
}

template <std::size_t width>
bool reads(const RawLine& line, LineReader& lines, bool values_allowed, bool check_data) {
    const Units<width> text(line);
    if (text.begin() == text.end()) return true;
    const unsigned first = text[text.begin()];
    if (first == ';') return true;
    return values_allowed && (first == '"' || first == '@') && value_reads(text, lines, check_data);
}

}  // namespace

bool line_reads(const RawLine& line, LineReader& lines, bool values_allowed, bool check_data) {
    if (lines.encoding() == Encoding::utf16le) return reads<2>(line, lines, values_allowed, check_data);
    return ascii_or_unicode(line, lines.encoding()) && reads<1>(line, lines, values_allowed, check_data);
}

}  // namespace regfile
