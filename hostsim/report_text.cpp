// Making the simulator's text fit for a report: converted from the terminal's text, then
// checked a character at a time.
#include "hostsim/report_text.h"

#include <string_view>

#include "host/terminal.h"

namespace hostsim {
namespace {

constexpr char replacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The well-formed UTF-8 character at the start of text: its length (1 to 4) and code point;
// length 0 when the bytes there start none (a stray or cut-short sequence, an overlong form,
// a surrogate, or beyond U+10FFFF).
struct Character {
    std::size_t length = 0;
    char32_t code_point = 0;
};

Character first_character(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {1, lead};
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || text.size() < length) return {};
    char32_t code_point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {};
        code_point = (code_point << 6) | (byte(i) & 0x3F);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < smallest[length] || surrogate || code_point > 0x10FFFF) return {};
    return {length, code_point};
}

bool fits_a_report(char32_t code_point) {
    if (code_point == U'\t' || code_point == U'\n' || code_point == U'\r') return true;
    return code_point >= 0x20 && code_point != 0x7F && code_point != 0xFFFE && code_point != 0xFFFF;
}

}  // namespace

std::string report_text(const std::string& terminal_text) {
    return fit_for_report(host::terminal_to_utf8(terminal_text));
}

std::string fit_for_report(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Character character = first_character(std::string_view(utf8).substr(at));
        if (character.length == 0 || !fits_a_report(character.code_point)) {
            text += replacement;
            at += character.length == 0 ? 1 : character.length;
            continue;
        }
        text.append(utf8, at, character.length);
        at += character.length;
    }
    return text;
}

}  // namespace hostsim
