// Stand-in side of the code-page conversions, for builds away from Windows: the C library's
// iconv, "CP<number>" to and from UTF-8. No table of a code page is written here; even the
// lead bytes are found by asking iconv which single bytes start an incomplete character.
#include "text/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace code_page {
namespace {

// A converter for one direction of one code page, opened once and kept: opening one costs
// far more than converting a name.
class Converter {
public:
    Converter(const std::string& to, const std::string& from) : converter_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (opened()) iconv_close(converter_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool opened() const { return converter_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can into out; false at a byte sequence it cannot convert
    // (in then points at it) or one cut short.
    bool convert(std::string_view& in, std::string& out, bool& incomplete) {
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        incomplete = false;
        char* input = const_cast<char*>(in.data());
        std::size_t input_left = in.size();
        while (input_left > 0) {
            char buffer[256];
            char* output = buffer;
            std::size_t output_left = sizeof buffer;
            const std::size_t result = iconv(converter_, &input, &input_left, &output, &output_left);
            out.append(buffer, static_cast<std::size_t>(output - buffer));
            if (result != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            incomplete = errno == EINVAL;
            in = std::string_view(input, input_left);
            return false;
        }
        in = {};
        return true;
    }

private:
    iconv_t converter_;
};

std::string iconv_name(unsigned code_page) {
    return "CP" + std::to_string(code_page);
}

// The converters of each code page, per thread: a converter keeps state while it works.
Converter& converter(unsigned code_page, bool into_utf8) {
    thread_local std::map<std::pair<unsigned, bool>, Converter> converters;
    const auto key = std::make_pair(code_page, into_utf8);
    auto found = converters.find(key);
    if (found == converters.end()) {
        const std::string name = iconv_name(code_page);
        found = converters
                    .emplace(std::piecewise_construct, std::forward_as_tuple(key),
                             std::forward_as_tuple(into_utf8 ? "UTF-8" : name, into_utf8 ? name : "UTF-8"))
                    .first;
    }
    return found->second;
}

// The length of the UTF-8 sequence that starts with byte c: 1 for a byte that starts none,
// so that a stray byte is passed over alone.
std::size_t utf8_length(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF4) return 4;
    if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
    if (c >= 0xC2) return 2;
    return 1;
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
    return converter(code_page, true).opened() && converter(code_page, false).opened();
}

void to_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    Converter& convert = converter(code_page, true);
    bool incomplete = false;
    while (!text.empty()) {
        if (!convert.opened() || !convert.convert(text, out, incomplete)) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            text.remove_prefix(1);
        }
    }
}

void from_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    Converter& convert = converter(code_page, false);
    bool incomplete = false;
    while (!text.empty()) {
        if (!convert.opened() || !convert.convert(text, out, incomplete)) {
            out += '?';
            text.remove_prefix(std::min(text.size(), utf8_length(static_cast<unsigned char>(text.front()))));
        }
    }
}

LeadBytes lead_bytes(unsigned code_page) {
    static std::mutex guard;
    static std::map<unsigned, LeadBytes> found;
    const std::lock_guard<std::mutex> lock(guard);
    const auto known_already = found.find(code_page);
    if (known_already != found.end()) return known_already->second;
    LeadBytes leads{};
    Converter& convert = converter(code_page, true);
    for (unsigned byte = 0x80; byte < 0x100 && convert.opened(); ++byte) {
        const char single = static_cast<char>(byte);
        std::string_view in(&single, 1);
        std::string ignored;
        bool incomplete = false;
        leads.lead[byte] = !convert.convert(in, ignored, incomplete) && incomplete;
    }
    return found[code_page] = leads;
}

}  // namespace code_page
