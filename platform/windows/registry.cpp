// Windows side of the registry seam: the advapi32 ANSI calls. This file is used for Windows only.
#include "platform/registry.h"

#include <windows.h>

namespace platform {
namespace {

REGSAM view_flag(RegistryView view) noexcept {
    switch (view) {
        case RegistryView::wow64_32: return KEY_WOW64_32KEY;
        case RegistryView::wow64_64: return KEY_WOW64_64KEY;
        case RegistryView::own: break;
    }
    return 0;
}

// A system that does not know the view flags refuses the open, which the queries then
// treat as a key that cannot be opened.
REGSAM access_mask(KeyAccess access, RegistryView view) noexcept {
    return (access == KeyAccess::enumerate ? KEY_ENUMERATE_SUB_KEYS : KEY_READ) | view_flag(view);
}

RegistryKey open_key(HKEY parent, const char* path, KeyAccess access, RegistryView view) noexcept {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path, 0, access_mask(access, view), &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

}  // namespace

RegistryKey open_machine_key(const char* path, KeyAccess access, RegistryView view) noexcept {
    return open_key(HKEY_LOCAL_MACHINE, path, access, view);
}

RegistryKey open_subkey(RegistryKey parent, const char* name, KeyAccess access, RegistryView view) noexcept {
    return open_key(static_cast<HKEY>(parent), name, access, view);
}

bool count_subkeys(RegistryKey key, std::uint32_t& count) noexcept {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(static_cast<HKEY>(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    count = subkeys;
    return true;
}

bool subkey_name(RegistryKey key, std::uint32_t index, char* name, std::size_t capacity) noexcept {
    DWORD length = static_cast<DWORD>(capacity);
    return RegEnumKeyExA(static_cast<HKEY>(key), index, name, &length, nullptr, nullptr, nullptr,
                         nullptr) == ERROR_SUCCESS;
}

bool read_value(RegistryKey key, const char* value_name, unsigned char* data,
                std::uint32_t& size) noexcept {
    DWORD bytes = size;
    if (RegQueryValueExA(static_cast<HKEY>(key), value_name, nullptr, nullptr, data, &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    size = bytes;
    return true;
}

void close_key(RegistryKey key) noexcept {
    if (key != nullptr) RegCloseKey(static_cast<HKEY>(key));
}

}  // namespace platform
