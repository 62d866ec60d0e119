// Stand-in side of the registry seam: natively, and on Windows in the stand-in libraries
// that hostsim.exe loads for a fleet's machines. HKEY_LOCAL_MACHINE is
// the content of the .reg file named by VANTREL_REGISTRY, or the text a program supplies
// (test_hooks/registry_text.h). A file is indexed once per change
// (standin_registry/registry_cache.cpp), so the next call sees a change while a large export
// is not read again for every call, and a key's values are read only when asked for. An unset
// variable, a missing file or a malformed one is an empty registry.
//
// Key paths are read as the registry reads them: letter case aside, a doubled or trailing
// backslash is one separator or none, and a path or subkey name starting with a backslash
// opens nothing.
//
// In test builds (test_hooks/registry_faults.h) VANTREL_REGISTRY_FAIL makes chosen
// operations fail, for tests of paths the real registry rarely takes: a comma-separated
// list of "open", "open_subkey", "count", "enumerate", "read", where "enumerate#N" fails
// only for subkey index N, and "view_flag", which fails every open asked for in the 32-bit
// or 64-bit view, as a system that does not know the view flags refuses them.
//
// VANTREL_REGISTRY_CHANGED and VANTREL_REGISTRY_CHANGE_AFTER stand for a registry that
// changes while an export works: once N subkeys (N from the second variable) have been
// opened below a key opened with open_machine_key, the later subkey opens below it see
// the .reg file named by the first variable instead. Keys already open keep what they saw.
//
// An export that holds HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node is a 64-bit machine's, and the
// libraries read it as 32-bit libraries read that machine (wow64_redirection.h); so is any
// export when VANTREL_REGISTRY_MACHINE is "64" (a partial export that cannot tell). Any other
// export is a 32-bit machine's, with one view.
//
// An export's names and text are Unicode (held as UTF-8), and the libraries meet them as the
// ANSI registry functions hand them over: in the code page the stand-in models
// (VANTREL_CODE_PAGE, 1252 by default; text/code_page.h), a character that code page lacks
// as "?". Names the libraries pass are read in that code page too, so a name read as "?"
// opens nothing, as on Windows (unless a key is really named "?").
//
// Every operation is counted (registry_operations.h) for the benchmark.
#include "platform/registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "test_hooks/allocation_scope.h"
#include "standin_registry/registry_cache.h"
#include "test_hooks/registry_faults.h"
#include "test_hooks/registry_operations.h"
#include "standin_registry/wow64_redirection.h"
#include "regfile/export_index.h"
#include "text/code_page.h"

namespace platform {
namespace {

using standin_registry::Snapshot;

// What a key opened with open_machine_key shares with every key opened below it: the
// registry they read, and how many subkeys have been opened below it so far.
struct MainKey {
    Snapshot snapshot;
    bool sixty_four_bit_machine = false;
    unsigned code_page = code_page::western;
    unsigned long subkey_opens = 0;
};

struct OpenKey {
    std::shared_ptr<MainKey> main;
    Snapshot snapshot;   // the registry this key was found in
    std::string path;    // below HKEY_LOCAL_MACHINE, as the libraries named it
    const regfile::ExportKey* key;
};

std::uint64_t operations = 0;

bool fault_injected(const std::string& operation) {
    return test_hooks::registry_fault(operation);
}

bool view_flag_refused(RegistryView view) {
    return view != RegistryView::own && fault_injected("view_flag");
}

// Switches the registry seen below main to the changed one when its turn has come.
void apply_registry_change(MainKey& main) {
    if (const char* changed = test_hooks::changed_registry(main.subkey_opens)) {
        main.snapshot = standin_registry::registry_snapshot(changed);
    }
}

// Walks a backslash-separated path, passing over empty components; an empty path is the
// key itself, and a path starting with a backslash is no key.
const regfile::ExportKey* find_key(const regfile::Export& registry, const std::string& path) {
    if (!path.empty() && path.front() == '\\') return nullptr;
    std::vector<std::string_view> names;
    regfile::split_key_path(path, names);
    const regfile::ExportKey* key = &registry.machine();
    for (std::size_t i = 0; key != nullptr && i < names.size(); ++i) {
        if (!names[i].empty()) key = registry.find_subkey(*key, names[i]);
    }
    return key;
}

RegistryKey open_path(std::shared_ptr<MainKey> main, std::string path, RegistryView view) {
    Snapshot snapshot = main->snapshot;
    const regfile::ExportKey* key = find_key(*snapshot, standin_registry::redirected_path(path, view == RegistryView::wow64_64, main->sixty_four_bit_machine));
    if (key == nullptr) return nullptr;
    return new (std::nothrow) OpenKey{std::move(main), std::move(snapshot), std::move(path), key};
}

const OpenKey& open_key(RegistryKey key) {
    return *static_cast<OpenKey*>(key);
}

// A name or path the libraries pass, in the machine's code page, as the export holds it.
std::string from_machine(const char* text, unsigned code_page) {
    std::string utf8;
    if (text != nullptr) code_page::to_utf8(text, code_page, utf8);
    return utf8;
}

bool is_text(std::uint32_t type) {
    return type == regfile::type_string || type == regfile::type_expandable_string ||
           type == regfile::type_multi_string;
}

}  // namespace

std::uint64_t registry_operations() noexcept {
    return operations;
}

RegistryKey open_machine_key(const char* path, KeyAccess, RegistryView view) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (fault_injected("open") || view_flag_refused(view)) return nullptr;
    auto main = std::make_shared<MainKey>();
    main->snapshot = standin_registry::registry_snapshot(std::getenv("VANTREL_REGISTRY"));
    main->sixty_four_bit_machine =
        standin_registry::stated_sixty_four_bit_machine() || standin_registry::holds_wow64_node(*main->snapshot);
    main->code_page = main->snapshot->code_page();
    std::string below = from_machine(path, main->code_page);
    return open_path(std::move(main), std::move(below), view);
} catch (...) {
    return nullptr;
}

// The subkey is looked up by its whole path in the registry the main key sees now, which
// is the one it was opened in unless the registry has changed meanwhile.
RegistryKey open_subkey(RegistryKey parent, const char* name, KeyAccess, RegistryView view) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (parent == nullptr || fault_injected("open_subkey") || view_flag_refused(view)) return nullptr;
    const OpenKey& open = *static_cast<OpenKey*>(parent);
    apply_registry_change(*open.main);
    ++open.main->subkey_opens;
    const std::string below = from_machine(name, open.main->code_page);
    if (!below.empty() && below.front() == '\\') return nullptr;
    return open_path(open.main, open.path.empty() ? below : open.path + "\\" + below, view);
} catch (...) {
    return nullptr;
}

bool count_subkeys(RegistryKey key, std::uint32_t& count) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (key == nullptr || fault_injected("count")) return false;
    const OpenKey& open = open_key(key);
    count = static_cast<std::uint32_t>(open.snapshot->subkey_count(*open.key));
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
    const OpenKey& open = open_key(key);
    const regfile::ExportKey* found = open.snapshot->subkey_at(*open.key, index);
    if (found == nullptr) return false;
    std::string converted;
    code_page::from_utf8(found->name, open.main->code_page, converted);
    if (converted.size() + 1 > capacity) return false;
    std::memcpy(name, converted.c_str(), converted.size() + 1);
    return true;
} catch (...) {
    return false;
}

bool read_value(RegistryKey key, const char* value_name, unsigned char* data,
                std::uint32_t& size) noexcept try {
    const StandinAllocationScope standin;
    ++operations;
    if (key == nullptr || fault_injected("read")) return false;
    const OpenKey& open = open_key(key);
    const regfile::Value* value = open.snapshot->find_value(*open.key, from_machine(value_name, open.main->code_page));
    if (value == nullptr) return false;
    std::string converted;
    if (is_text(value->type)) {
        const std::string_view text(reinterpret_cast<const char*>(value->data.data()), value->data.size());
        code_page::from_utf8(text, open.main->code_page, converted);
    } else {
        converted.assign(value->data.begin(), value->data.end());
    }
    if (converted.size() > size) return false;
    if (!converted.empty()) std::memcpy(data, converted.data(), converted.size());
    size = static_cast<std::uint32_t>(converted.size());
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
