// GetQuendrix, GetWexo, _GetZelk@4: the highest installed version of a Korvalis product,
// read from the subkey names of the product's registry key.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/registry.h"

namespace {

// The registry allows subkey names of up to 255 characters.
constexpr std::size_t subkey_name_capacity = 256;
// Used when the number of subkeys cannot be queried.
constexpr std::uint32_t assumed_subkey_count = 5;

using Answer = std::array<char, subkey_name_capacity>;

// One answer buffer per export, kept for as long as the library is loaded.
Answer quendrix_answer;
Answer strovane_answer;
Answer pellward_answer;

bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// digits x 10^exponent, rounded once to a float. Powers up to 10^22 are exact doubles,
// so the usual names ("5.5", "10.25") read exactly as "%f" reads them.
float scale_by_power_of_ten(double digits, int exponent) {
    double scaled = digits;
    for (; exponent > 0 && scaled <= std::numeric_limits<float>::max(); --exponent) scaled *= 10.0;
    double divisor = 1.0;
    for (; exponent < 0 && divisor < 1e300; ++exponent) divisor *= 10.0;
    scaled /= divisor;
    return scaled > std::numeric_limits<float>::max() ? std::numeric_limits<float>::infinity()
                                                       : static_cast<float>(scaled);
}

bool holds_letter(const char* text) {
    for (; *text != '\0'; ++text) {
        if ((*text >= 'A' && *text <= 'Z') || (*text >= 'a' && *text <= 'z')) return true;
    }
    return false;
}

// Reads a leading decimal number as "%f" does (white space, sign, digits, one decimal
// point), without the C library: its reading follows the locale, which a host may have
// set so that "5.5" reads as 5, and the library's own locale-free reading switches the
// process locale while it works. Names with an exponent, "inf" or "nan" hold letters and
// are passed over anyway, so they need no reading here.
bool read_leading_number(const char* text, float& number) {
    while (is_space(*text)) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (!is_digit(*text) && !(*text == '.' && is_digit(text[1]))) return false;
    // Up to 19 significant digits are exact in 64 bits; later ones cannot change a float.
    std::uint64_t digits = 0;
    int significant = 0;
    int exponent = 0;
    bool after_point = false;
    for (;; ++text) {
        if (*text == '.' && !after_point) {
            after_point = true;
        } else if (is_digit(*text)) {
            if (significant < 19) {
                digits = digits * 10 + static_cast<unsigned>(*text - '0');
                if (digits != 0) ++significant;
                if (after_point) --exponent;
            } else if (!after_point) {
                ++exponent;
            }
        } else {
            break;
        }
    }
    number = scale_by_power_of_ten(static_cast<double>(digits), exponent);
    if (negative) number = -number;
    return true;
}

// Walks the subkeys from the last to the first and keeps the name of the greatest purely
// numeric one. Among names that read as the same number the last subkey wins, since only a
// strictly greater number replaces the best one.
void find_highest_version(const char* product_key, Answer& answer) {
    answer[0] = '\0';
    platform::RegistryKey key = platform::open_machine_key(product_key, platform::KeyAccess::read);
    if (key == nullptr) return;
    std::uint32_t count = assumed_subkey_count;
    platform::count_subkeys(key, count);
    float best = 0.0f;
    for (std::uint32_t index = count; index-- > 0;) {
        std::array<char, subkey_name_capacity> name;
        float number = 0.0f;
        if (!platform::subkey_name(key, index, name.data(), name.size())) continue;
        if (!read_leading_number(name.data(), number) || !(number > best)) continue;
        if (holds_letter(name.data())) continue;
        best = number;
        std::memcpy(answer.data(), name.data(), answer.size());
    }
    platform::close_key(key);
}

std::int32_t report_highest_version(HostCallRecord* record, const char* product_key, Answer& answer) {
    find_highest_version(product_key, answer);
    hostcall::write_result(record, answer.data());
    return 1;
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GetQuendrix(HostCallRecord* record) noexcept {
    return report_highest_version(record, "SOFTWARE\\Korvalis\\Quendrix", quendrix_answer);
}

EXPORT_ABI std::int32_t STDCALL_ABI GetWexo(HostCallRecord* record) noexcept {
    return report_highest_version(record, "SOFTWARE\\Korvalis\\Strovane", strovane_answer);
}

// Exported as "_GetZelk@4" on Windows; an ELF name cannot hold the '@'.
EXPORT_ABI std::int32_t STDCALL_ABI GetZelk(HostCallRecord* record) noexcept {
    return report_highest_version(record, "SOFTWARE\\Korvalis\\Pellward", pellward_answer);
}
