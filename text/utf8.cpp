// UTF-8 written and read, as Unicode defines it: no overlong form, no surrogate, nothing
// past U+10FFFF.
#include "text/utf8.h"

namespace utf8 {
namespace {

// For a byte that starts a sequence of more than one byte: how many bytes follow it, the
// bits of the code point it holds, and the range its first following byte must lie in
// (narrower after E0, ED, F0 and F4, which would otherwise start a form Unicode excludes).
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

}  // namespace

void append(char32_t point, std::string& out) {
    if (point >= 0xD800 && point <= 0xDFFF) point = replacement;
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

char32_t next(std::string_view text, std::size_t& length) {
    const auto first = static_cast<unsigned char>(text[0]);
    length = 1;
    if (first < 0x80) return first;
    SequenceStart start = sequence_start(first);
    if (start.following == 0) return replacement;
    char32_t point = start.bits;
    for (std::size_t i = 1; i <= start.following; ++i) {
        const auto byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (byte < start.low || byte > start.high) return replacement;
        start.low = 0x80;
        start.high = 0xBF;
        point = point << 6 | (byte & 0x3Fu);
        length = i + 1;
    }
    return point;
}

std::size_t well_formed_length(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t length = 0;
    const bool read = next(text, length) != replacement || text.substr(0, length) == "\xEF\xBF\xBD";
    return read ? length : 0;
}

bool valid(std::string_view text) {
    for (std::size_t length = 0; !text.empty(); text.remove_prefix(length)) {
        length = well_formed_length(text);
        if (length == 0) return false;
    }
    return true;
}

}  // namespace utf8
