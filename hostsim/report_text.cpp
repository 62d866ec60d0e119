// Making the simulator's text (UTF-8 on every system) fit for a report: read a character at
// a time (text/utf8.h).
#include "hostsim/report_text.h"

#include <string_view>

#include "text/utf8.h"

namespace hostsim {
namespace {

// What XML 1.0 can hold, and HTML shows as text: no control character but tab, line feed
// and carriage return, and neither of the two noncharacters U+FFFE and U+FFFF.
bool fits_a_report(char32_t code_point) {
    if (code_point == U'\t' || code_point == U'\n' || code_point == U'\r') return true;
    return code_point >= 0x20 && code_point != 0x7F && code_point != 0xFFFE && code_point != 0xFFFF;
}

}  // namespace

std::string report_text(const std::string& terminal_text) {
    return fit_for_report(terminal_text);
}

std::string fit_for_report(const std::string& text) {
    std::string fit;
    fit.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const char32_t code_point = utf8::next(std::string_view(text).substr(at), length);
        if (code_point == utf8::replacement || !fits_a_report(code_point)) {
            utf8::append(utf8::replacement, fit);
        } else {
            fit.append(text, at, length);
        }
        at += length;
    }
    return fit;
}

}  // namespace hostsim
