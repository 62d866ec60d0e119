// Windows side of the test registry: the .reg text written into the real registry below
// the test roots, which are removed again afterwards. This file is used for Windows only.
#include "support/registry_fixture.h"

#include <windows.h>

#include <stdexcept>

#include "regfile/key_tree.h"

namespace testing_support {
namespace {

// view is 0 (the process's own view) or KEY_WOW64_64KEY.
void write_key(HKEY parent, const regfile::Key& key, REGSAM view) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(parent, key.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &created,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create test key " + key.name);
    }
    for (const regfile::Value& value : key.values) {
        RegSetValueExA(created, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    for (const auto& entry : key.subkeys) write_key(created, entry.second, view);
    RegCloseKey(created);
}

regfile::ParseResult parse_fixture(const std::string& reg_body) {
    regfile::ParseResult parsed = regfile::parse("Windows Registry Editor Version 5.00\r\n\r\n" + reg_body);
    if (!parsed.ok) throw std::runtime_error("test registry: line " + std::to_string(parsed.error_line) + ": " + parsed.error);
    // A fixture is written whole: a line the reader would skip is a mistake in the test.
    if (!parsed.warnings.empty()) {
        const regfile::Warning& skipped = parsed.warnings.front();
        throw std::runtime_error("test registry: line " + std::to_string(skipped.line) + ": " + skipped.message);
    }
    return parsed;
}

void write_machine(const std::string& reg_body, REGSAM view) {
    const regfile::ParseResult parsed = parse_fixture(reg_body);
    for (const auto& entry : parsed.machine.subkeys) write_key(HKEY_LOCAL_MACHINE, entry.second, view);
}

MachineShape this_machine() {
    if (sizeof(void*) == 8) return MachineShape::win64;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? MachineShape::wow64 : MachineShape::one_view;
}

// Removes HKEY_LOCAL_MACHINE\path with everything below it, in one view: a key opened in a
// view keeps it for what is deleted below it, where a view flag on HKEY_LOCAL_MACHINE
// itself would be lost.
void delete_tree(const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path, view, 0);
}

}  // namespace

RegistryFixture::RegistryFixture() {
    clear();
}

RegistryFixture::~RegistryFixture() {
    clear();
}

// In the process's own view: where an installer of the libraries' own kind puts its keys.
void RegistryFixture::install(const std::string& reg_body) {
    clear();
    write_machine(reg_body, 0);
}

// An export holds the keys as the 64-bit view shows them, WOW6432Node included, so they
// are written there as they stand. A 32-bit machine has one view: there the keys go where
// the same installers would have put them.
void RegistryFixture::install_machine(const std::string& reg_body, MachineShape shape) {
    if (shape != this_machine()) throw std::runtime_error(std::string("this machine is not ") + shape_name(shape));
    clear();
    if (shape == MachineShape::one_view) {
        write_machine(folded_into_one_view(reg_body), 0);
    } else {
        write_machine(reg_body, KEY_WOW64_64KEY);
    }
}

std::vector<MachineShape> machine_shapes() {
    return {this_machine()};
}

bool RegistryFixture::change_after_subkey_opens(unsigned long, const std::string&) {
    return false;
}

void RegistryFixture::clear() {
    // In the process's own view, and in the 64-bit one (the other view of a 32-bit process
    // on 64-bit Windows; on 32-bit Windows the two are one).
    for (const char* root : test_roots) {
        delete_tree(root, 0);
        delete_tree(root, KEY_WOW64_64KEY);
    }
}

}  // namespace testing_support

namespace testing_support {

bool inject_registry_faults(const std::string&) {
    return false;
}

void clear_registry_faults() {}

bool state_machine_kind(const std::string&) {
    return false;
}

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
