// Escaping of control characters for the host simulator's input and output, and its text
// between UTF-8 and the machine's code page.
#include "hostsim/escapes.h"

#include <cstdio>

#include "host/registry_source.h"
#include "text/characters.h"
#include "text/code_page.h"

namespace hostsim {

std::string escape(const std::string& utf8_text) {
    std::string out;
    for (const char byte : utf8_text) {
        const unsigned char c = static_cast<unsigned char>(byte);
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
                    out += byte;
                }
        }
    }
    return out;
}

bool unescape(const std::string& text, std::string& out, const platform::LeadBytes& lead_bytes) {
    out.clear();
    const char* const end = text.c_str() + text.size();
    for (const char* at = text.c_str(); at < end;) {
        const char* next = lead_bytes.after_character(at);
        if (*at != '\\') {
            out.append(at, next);
            at = next;
            continue;
        }
        if (++at == end) return false;
        switch (*at) {
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'x': {
                const int high = at + 1 < end ? characters::hex_digit_value(at[1]) : -1;
                const int low = at + 2 < end ? characters::hex_digit_value(at[2]) : -1;
                if (high < 0 || low < 0) return false;
                out += static_cast<char>(high * 16 + low);
                at += 2;
                break;
            }
            default: return false;
        }
        ++at;
    }
    return true;
}

std::string terminal_text(const std::string& machine_text) {
    return host::machine_for_terminal(machine_text);
}

std::string shown(const std::string& machine_text) {
    return escape(terminal_text(machine_text));
}

// Escapes read with the lead bytes of the code page the text was converted to.
bool typed(const std::string& typed_text, std::string& machine_text) {
    return unescape(host::typed_for_machine(typed_text), machine_text,
                    code_page::lead_bytes(code_page::machine_code_page()));
}

}  // namespace hostsim
