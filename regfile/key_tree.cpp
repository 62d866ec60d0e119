// A .reg file read whole: the index of its keys (export_index.h), every key's values read.
#include "regfile/key_tree.h"

#include "regfile/export_index.h"

namespace regfile {
namespace {

// Iterative, as the tree may be as deep as a key line is long.
void copy_tree(const Export& source, const ExportKey& from, Key& to) {
    std::vector<std::pair<const ExportKey*, Key*>> pending{{&from, &to}};
    while (!pending.empty()) {
        const auto [read, written] = pending.back();
        pending.pop_back();
        written->values = source.values(*read);
        for (std::size_t i = 0; i < source.subkey_count(*read); ++i) {
            const ExportKey* subkey = source.subkey_at(*read, i);
            Key& copy = written->subkeys[std::string(subkey->name)];
            copy.name = std::string(subkey->name);
            pending.emplace_back(subkey, &copy);
        }
    }
}

}  // namespace

const Key* Key::find_subkey(std::string_view wanted) const {
    const auto entry = subkeys.find(wanted);
    return entry == subkeys.end() ? nullptr : &entry->second;
}

const Value* Key::find_value(std::string_view wanted) const {
    for (const Value& value : values) {
        if (same_name(value.name, wanted)) return &value;
    }
    return nullptr;
}

ParseResult parse(std::string_view bytes) {
    const std::shared_ptr<const Export> read = read_export(bytes, ValueCheck::every_line);
    ParseResult result;
    result.ok = read->ok();
    result.error_line = read->error_line();
    result.error = read->error();
    result.warnings = read->warnings();
    if (result.ok) copy_tree(*read, read->machine(), result.machine);
    return result;
}

}  // namespace regfile
