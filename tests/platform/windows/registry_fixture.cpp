// Windows side of the test registry: the .reg text written into the real registry below
// the test roots, which are removed again afterwards. This file is used for Windows only.
#include "support/registry_fixture.h"

#include <windows.h>

#include <stdexcept>

#include "regfile/reg_file.h"

namespace testing_support {
namespace {

void write_key(HKEY parent, const regfile::Key& key) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(parent, key.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create test key " + key.name);
    }
    for (const regfile::Value& value : key.values) {
        RegSetValueExA(created, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    for (const auto& entry : key.subkeys) write_key(created, entry.second);
    RegCloseKey(created);
}

}  // namespace

RegistryFixture::RegistryFixture() {
    clear();
}

RegistryFixture::~RegistryFixture() {
    clear();
}

void RegistryFixture::install(const std::string& reg_body) {
    clear();
    const regfile::ParseResult parsed = regfile::parse("Windows Registry Editor Version 5.00\r\n\r\n" + reg_body);
    if (!parsed.ok) throw std::runtime_error("test registry: line " + std::to_string(parsed.error_line) + ": " + parsed.error);
    // A fixture is written whole: a line the reader would skip is a mistake in the test.
    if (!parsed.warnings.empty()) {
        const regfile::Warning& skipped = parsed.warnings.front();
        throw std::runtime_error("test registry: line " + std::to_string(skipped.line) + ": " + skipped.message);
    }
    for (const auto& entry : parsed.machine.subkeys) write_key(HKEY_LOCAL_MACHINE, entry.second);
}

bool RegistryFixture::change_after_subkey_opens(unsigned long, const std::string&) {
    return false;
}

void RegistryFixture::clear() {
    for (const char* root : test_roots) RegDeleteTreeA(HKEY_LOCAL_MACHINE, root);
}

}  // namespace testing_support

namespace testing_support {

bool inject_registry_faults(const std::string&) {
    return false;
}

void clear_registry_faults() {}

}  // namespace testing_support

namespace testing_support {

bool install_registry_file(RegistryFixture&, const std::string&) {
    return false;
}

}  // namespace testing_support

namespace testing_support {

bool supply_registry_text(const std::string&, unsigned long long) {
    return false;
}

void stop_supplying_registry_text() {}

}  // namespace testing_support
