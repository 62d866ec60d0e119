// GetRegKey: the name of the subkey at a given index, so that a script can walk the
// subkeys of any key one call at a time (index 0, 1, 2, ... until the call fails).
#include <array>
#include <cstdint>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/registry.h"
#include "text/characters.h"
#include "vantrel/view_variable.h"
#include "vantrel/whole_variable.h"

namespace {

// The registry allows key names of up to 255 characters.
constexpr std::size_t name_capacity = 256;
// A key path of up to 255 characters; a longer one is refused, not cut.
constexpr std::size_t key_path_capacity = 256;
// Room for an index with any white space or leading zeros a script may put before it.
constexpr std::size_t index_text_capacity = 1024;

using Name = std::array<char, name_capacity>;

// Reads the index as "%d" does: white space, an optional sign, decimal digits; text that
// does not start with a number reads as 0. False when the number is negative or beyond
// the 32-bit range: no subkey has such an index.
bool read_index(const char* text, std::uint32_t& index) {
    while (characters::is_space(*text)) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    std::int64_t number = 0;
    for (; characters::is_digit(*text); ++text) {
        number = number * 10 + (*text - '0');
        if (number > INT32_MAX) return false;
    }
    if (negative && number != 0) return false;
    index = static_cast<std::uint32_t>(number);
    return true;
}

// Reads only the subkey at the index: a walk of n subkeys then costs n enumerations.
bool find_subkey_name(const char* key_path, platform::RegistryView view, std::uint32_t index, Name& name) {
    platform::RegistryKey key = platform::open_machine_key(key_path, platform::KeyAccess::enumerate, view);
    if (key == nullptr) return false;
    const bool found = platform::subkey_name(key, index, name.data(), name.size());
    platform::close_key(key);
    return found;
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GetRegKey(HostCallRecord* record) noexcept {
    std::array<char, key_path_capacity> key_path;
    std::array<char, index_text_capacity> index_text;
    const bool key_whole = vantrel::read_whole_variable(record, "REGISTRY_KEY", key_path);
    const bool index_whole = vantrel::read_whole_variable(record, "REGISTRY_ITER", index_text);
    const platform::RegistryView view = vantrel::read_registry_view(record);
    std::uint32_t index = 0;
    Name name;
    if (key_whole && index_whole && read_index(index_text.data(), index) &&
        find_subkey_name(key_path.data(), view, index, name)) {
        hostcall::write_result(record, name.data());
        return 1;
    }
    hostcall::write_result(record, "");
    return 0;
}
