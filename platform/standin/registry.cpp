// Stand-in side of the registry seam, for builds away from Windows. HKEY_LOCAL_MACHINE is
// the content of the .reg file named by VANTREL_REGISTRY, read afresh whenever a key below
// it is opened, so that a change to the file is seen by the next call. An unset variable,
// a missing file or a malformed one is an empty registry.
//
// VANTREL_REGISTRY_FAIL makes chosen operations fail, for tests of paths the real
// registry rarely takes: a comma-separated list of "open", "open_subkey", "count",
// "enumerate", "read", where "enumerate#N" fails only for subkey index N.
//
// VANTREL_REGISTRY_CHANGED and VANTREL_REGISTRY_CHANGE_AFTER stand for a registry that
// changes while an export works: once N subkeys (N from the second variable) have been
// opened below a key opened with open_machine_key, the later subkey opens below it see
// the .reg file named by the first variable instead. Keys already open keep what they saw.
//
// Every operation is counted (registry_operations.h) for the benchmark.
#include "platform/registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/standin/allocation_scope.h"
#include "platform/standin/registry_operations.h"
#include "regfile/reg_file.h"

namespace platform {
namespace {

using Snapshot = std::shared_ptr<const regfile::ParseResult>;

// What a key opened with open_machine_key shares with every key opened below it: the
// registry they read, and how many subkeys have been opened below it so far.
struct MainKey {
    Snapshot snapshot;
    unsigned long subkey_opens = 0;
};

struct OpenKey {
    std::shared_ptr<MainKey> main;
    Snapshot snapshot;   // the registry this key was found in
    std::string path;    // below HKEY_LOCAL_MACHINE
    const regfile::Key* key;
};

std::uint64_t operations = 0;

Snapshot read_registry_file(const char* path) {
    auto snapshot = std::make_shared<regfile::ParseResult>();
    if (path != nullptr && *path != '\0') *snapshot = regfile::load(path);
    if (!snapshot->ok) snapshot->machine = regfile::Key{};
    return snapshot;
}

bool fault_injected(const std::string& operation) {
    const char* faults = std::getenv("VANTREL_REGISTRY_FAIL");
    if (faults == nullptr) return false;
    const std::string list = std::string(",") + faults + ",";
    return list.find("," + operation + ",") != std::string::npos;
}

// Switches the registry seen below main to the changed one when its turn has come.
void apply_registry_change(MainKey& main) {
    const char* changed = std::getenv("VANTREL_REGISTRY_CHANGED");
    const char* after = std::getenv("VANTREL_REGISTRY_CHANGE_AFTER");
    if (changed == nullptr || after == nullptr) return;
    if (main.subkey_opens == std::strtoul(after, nullptr, 10)) main.snapshot = read_registry_file(changed);
}

// Walks a backslash-separated path; an empty path is the key itself.
const regfile::Key* find_key(const regfile::Key& root, const std::string& path) {
    const regfile::Key* key = &root;
    std::size_t start = 0;
    while (key != nullptr && start < path.size()) {
        const std::size_t end = path.find('\\', start);
        const std::string component = path.substr(start, end - start);
        if (component.empty()) return nullptr;
        key = key->find_subkey(component);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return key;
}

RegistryKey open_path(std::shared_ptr<MainKey> main, std::string path) {
    Snapshot snapshot = main->snapshot;
    const regfile::Key* key = find_key(snapshot->machine, path);
    if (key == nullptr) return nullptr;
    return new (std::nothrow) OpenKey{std::move(main), std::move(snapshot), std::move(path), key};
}

const regfile::Key* key_of(RegistryKey key) {
    return key != nullptr ? static_cast<OpenKey*>(key)->key : nullptr;
}

}  // namespace

std::uint64_t registry_operations() noexcept {
    return operations;
}

RegistryKey open_machine_key(const char* path, KeyAccess) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (fault_injected("open")) return nullptr;
    auto main = std::make_shared<MainKey>();
    main->snapshot = read_registry_file(std::getenv("VANTREL_REGISTRY"));
    return open_path(std::move(main), path != nullptr ? path : "");
} catch (...) {
    return nullptr;
}

// The subkey is looked up by its whole path in the registry the main key sees now, which
// is the one it was opened in unless the registry has changed meanwhile.
RegistryKey open_subkey(RegistryKey parent, const char* name, KeyAccess) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (parent == nullptr || fault_injected("open_subkey")) return nullptr;
    const OpenKey& open = *static_cast<OpenKey*>(parent);
    apply_registry_change(*open.main);
    ++open.main->subkey_opens;
    const std::string below = name != nullptr ? name : "";
    if (open.path.empty() || below.empty()) return open_path(open.main, open.path + below);
    return open_path(open.main, open.path + "\\" + below);
} catch (...) {
    return nullptr;
}

bool count_subkeys(RegistryKey key, std::uint32_t& count) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (key == nullptr || fault_injected("count")) return false;
    count = static_cast<std::uint32_t>(key_of(key)->subkeys.size());
    return true;
} catch (...) {
    return false;
}

bool subkey_name(RegistryKey key, std::uint32_t index, char* name, std::size_t capacity) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (key == nullptr || fault_injected("enumerate") ||
        fault_injected("enumerate#" + std::to_string(index))) {
        return false;
    }
    const auto& subkeys = key_of(key)->subkeys;
    if (index >= subkeys.size()) return false;
    const std::string& found = std::next(subkeys.begin(), index)->second.name;
    if (found.size() + 1 > capacity) return false;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return true;
} catch (...) {
    return false;
}

bool read_value(RegistryKey key, const char* value_name, unsigned char* data,
                std::uint32_t& size) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (key == nullptr || fault_injected("read")) return false;
    const regfile::Value* value = key_of(key)->find_value(value_name != nullptr ? value_name : "");
    if (value == nullptr || value->data.size() > size) return false;
    if (!value->data.empty()) std::memcpy(data, value->data.data(), value->data.size());
    size = static_cast<std::uint32_t>(value->data.size());
    return true;
} catch (...) {
    return false;
}

void close_key(RegistryKey key) noexcept {
    const StandinAllocationScope standin;
    if (key != nullptr) ++operations;
    delete static_cast<OpenKey*>(key);
}

}  // namespace platform
