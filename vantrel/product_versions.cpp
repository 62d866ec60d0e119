// GetQuendrix, GetWexo, _GetZelk@4: the highest installed version of a Korvalis product,
// read from the subkey names of the product's registry key.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "text/characters.h"
#include "vantrel/leading_number.h"
#include "vantrel/view_variable.h"

namespace {

// The registry allows subkey names of up to 255 characters.
constexpr std::size_t subkey_name_capacity = 256;
// Used when the number of subkeys cannot be queried.
constexpr std::uint32_t assumed_subkey_count = 5;

using Answer = std::array<char, subkey_name_capacity>;

// One answer buffer per export, in static storage. Each call empties its own before it
// looks, so an earlier call's answer never stands in for a later one: a product
// uninstalled between two calls reads as "".
Answer quendrix_answer;
Answer strovane_answer;
Answer pellward_answer;

// A letter is a character of its own: the second byte of ア (83 41 in code page 932) is no
// 'A', and a name such as "6.0 ア" holds no letter.
bool holds_letter(const char* text, const platform::LeadBytes& lead_bytes) {
    for (; *text != '\0'; text = lead_bytes.after_character(text)) {
        if (characters::is_letter(*text)) return true;
    }
    return false;
}

// Walks the subkeys from the last to the first and keeps the name of the greatest purely
// numeric one. Among names that read as the same number the last subkey wins, since only a
// strictly greater number replaces the best one.
void find_highest_version(const char* product_key, platform::RegistryView view, Answer& answer) {
    answer[0] = '\0';
    platform::RegistryKey key = platform::open_machine_key(product_key, platform::KeyAccess::read, view);
    if (key == nullptr) return;
    std::uint32_t count = assumed_subkey_count;
    platform::count_subkeys(key, count);
    const platform::LeadBytes lead_bytes = platform::ansi_lead_bytes();
    float best = 0.0f;
    for (std::uint32_t index = count; index-- > 0;) {
        std::array<char, subkey_name_capacity> name;
        if (!platform::subkey_name(key, index, name.data(), name.size())) continue;
        // A name that does not start with a number reads as 0, which never wins.
        const float number = vantrel::read_leading_number(name.data());
        if (!(number > best)) continue;
        if (holds_letter(name.data(), lead_bytes)) continue;
        best = number;
        std::memcpy(answer.data(), name.data(), answer.size());
    }
    platform::close_key(key);
}

std::int32_t report_highest_version(HostCallRecord* record, const char* product_key, Answer& answer) {
    find_highest_version(product_key, vantrel::read_registry_view(record), answer);
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
