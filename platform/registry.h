// The registry as the queries see it: read-only, always below HKEY_LOCAL_MACHINE.
// On Windows these are the advapi32 calls; elsewhere a stand-in reads a .reg file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// An open key; nullptr when nothing is open.
using RegistryKey = void*;

enum class KeyAccess {
    enumerate,  // subkey enumeration only (KEY_ENUMERATE_SUB_KEYS)
    read,       // key information, subkeys and values (KEY_READ)
};

// On 64-bit Windows the keys below HKEY_LOCAL_MACHINE\SOFTWARE come in two views: a 32-bit
// process reads the 32-bit one (SOFTWARE\WOW6432Node) unless it asks for the other.
enum class RegistryView {
    own,       // the process's own view: no view flag in the access asked for
    wow64_32,  // the 32-bit view (KEY_WOW64_32KEY)
    wow64_64,  // the 64-bit view (KEY_WOW64_64KEY)
};

// Opens HKEY_LOCAL_MACHINE\path; an empty path opens HKEY_LOCAL_MACHINE itself.
RegistryKey open_machine_key(const char* path, KeyAccess access, RegistryView view) noexcept;

// Opens the subkey name of an open key, in the view the parent was opened in.
RegistryKey open_subkey(RegistryKey parent, const char* name, KeyAccess access, RegistryView view) noexcept;

// Number of subkeys; false when the key cannot be queried.
bool count_subkeys(RegistryKey key, std::uint32_t& count) noexcept;

// Name of the subkey at index, zero-terminated in name (capacity characters with the
// zero); false when there is no such subkey or its name does not fit.
bool subkey_name(RegistryKey key, std::uint32_t index, char* name, std::size_t capacity) noexcept;

// Reads the value value_name ("" for the default value) into data; size holds the
// capacity on entry and the byte count on success. False when the value is missing or
// larger than the capacity.
bool read_value(RegistryKey key, const char* value_name, unsigned char* data,
                std::uint32_t& size) noexcept;

void close_key(RegistryKey key) noexcept;

}  // namespace platform
