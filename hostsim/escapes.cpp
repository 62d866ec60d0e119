// Escaping of control characters for the host simulator's input and output.
#include "hostsim/escapes.h"

#include <cstdio>

#include "host/registry_source.h"
#include "text/characters.h"

namespace hostsim {

std::string escape(const std::string& text, const platform::LeadBytes& lead_bytes) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (lead_bytes.starts_pair(text[i]) && i + 1 < text.size()) {
            out += text.substr(i++, 2);
            continue;
        }
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

bool unescape(const std::string& text, std::string& out, const platform::LeadBytes& lead_bytes) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lead_bytes.starts_pair(text[i]) && i + 1 < text.size()) {
            out += text.substr(i++, 2);
            continue;
        }
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'x': {
                const int high = i + 1 < text.size() ? characters::hex_digit_value(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? characters::hex_digit_value(text[i + 2]) : -1;
                if (high < 0 || low < 0) return false;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return false;
        }
    }
    return true;
}

// Escaped in the machine's code page first, so that only whole characters are escaped; the
// escapes are ASCII, which every code page holds.
std::string shown(const std::string& machine_text) {
    return host::machine_for_terminal(escape(machine_text, platform::ansi_lead_bytes()));
}

bool typed(const std::string& typed_text, std::string& machine_text) {
    return unescape(host::typed_for_machine(typed_text), machine_text, platform::ansi_lead_bytes());
}

}  // namespace hostsim
