// Stand-in side of the registry seam, for builds away from Windows. HKEY_LOCAL_MACHINE is
// the content of the .reg file named by VANTREL_REGISTRY, read afresh whenever a key below
// it is opened, so that a change to the file is seen by the next call. An unset variable,
// a missing file or a malformed one is an empty registry.
//
// VANTREL_REGISTRY_FAIL makes chosen operations fail, for tests of paths the real
// registry rarely takes: a comma-separated list of "open", "open_subkey", "count",
// "enumerate", "read", where "enumerate#N" fails only for subkey index N.
#include "platform/registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/standin/allocation_scope.h"
#include "regfile/reg_file.h"

namespace platform {
namespace {

struct OpenKey {
    std::shared_ptr<const regfile::ParseResult> snapshot;
    const regfile::Key* key;
};

std::shared_ptr<const regfile::ParseResult> read_registry_file() {
    const char* path = std::getenv("VANTREL_REGISTRY");
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

RegistryKey open_below(std::shared_ptr<const regfile::ParseResult> snapshot,
                       const regfile::Key& root, const char* path) {
    const regfile::Key* key = find_key(root, path != nullptr ? path : "");
    if (key == nullptr) return nullptr;
    return new (std::nothrow) OpenKey{std::move(snapshot), key};
}

const regfile::Key* key_of(RegistryKey key) {
    return key != nullptr ? static_cast<OpenKey*>(key)->key : nullptr;
}

}  // namespace

RegistryKey open_machine_key(const char* path, KeyAccess) noexcept try {
    const StandinAllocationScope standin;
    if (fault_injected("open")) return nullptr;
    auto snapshot = read_registry_file();
    const regfile::Key& machine = snapshot->machine;
    return open_below(std::move(snapshot), machine, path);
} catch (...) {
    return nullptr;
}

RegistryKey open_subkey(RegistryKey parent, const char* name, KeyAccess) noexcept try {
    const StandinAllocationScope standin;
    if (parent == nullptr || fault_injected("open_subkey")) return nullptr;
    const OpenKey& open = *static_cast<OpenKey*>(parent);
    return open_below(open.snapshot, *open.key, name);
} catch (...) {
    return nullptr;
}

bool count_subkeys(RegistryKey key, std::uint32_t& count) noexcept try {
    const StandinAllocationScope standin;
    if (key == nullptr || fault_injected("count")) return false;
    count = static_cast<std::uint32_t>(key_of(key)->subkeys.size());
    return true;
} catch (...) {
    return false;
}

bool subkey_name(RegistryKey key, std::uint32_t index, char* name, std::size_t capacity) noexcept try {
    const StandinAllocationScope standin;
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
    delete static_cast<OpenKey*>(key);
}

}  // namespace platform
