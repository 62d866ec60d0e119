// The index of an export: made in one pass over its lines, consulted key by key after.
#include "regfile/export_index.h"

#include "regfile/entry_parser.h"

namespace regfile {
namespace {

class OwnedText : public ByteSource {
public:
    explicit OwnedText(std::string_view bytes) : bytes_(bytes), source_(bytes_) {}
    std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const override {
        return source_.read_at(offset, buffer, size);
    }
    const char* in_memory(std::uint64_t offset) const override { return source_.in_memory(offset); }

private:
    std::string bytes_;
    MemorySource source_;
};

}  // namespace

Export::Export(std::unique_ptr<ByteSource> source, std::uint64_t size, ValueCheck check)
    : source_(std::move(source)), machine_(&keys_.emplace_back()) {
    char mark[3] = {};
    const std::size_t marked = source_->read_at(0, mark, sizeof mark);
    std::uint64_t begin = 0;
    if (marked >= 2 && mark[0] == '\xFF' && mark[1] == '\xFE') {
        encoding_ = Encoding::utf16le;
        begin = 2;
    } else if (marked == 3 && std::string_view(mark, 3) == "\xEF\xBB\xBF") {
        begin = 3;
    }
    LineReader lines(*source_, encoding_, begin, size, 1);
    if (!index_lines(lines, *this, *machine_, check, version5_export_)) parts_.clear();
}

void Export::fail(int line, std::string message) {
    ok_ = false;
    error_line_ = line;
    error_ = std::move(message);
}

ExportKey& Export::add_subkey(ExportKey& parent, std::string_view name) {
    // An export lists subkeys in order: the new one mostly goes after the last.
    auto& subkeys = parent.subkeys;
    const NameOrder before;
    auto at = subkeys.end();
    if (!subkeys.empty() && !before(subkeys.rbegin()->first, name)) {
        at = subkeys.lower_bound(name);
        if (at != subkeys.end() && !before(name, at->first)) return *at->second;
    }
    ExportKey& key = keys_.emplace_back();
    key.name = std::string(name);
    subkeys.emplace_hint(at, std::string_view(key.name), &key);
    return key;
}

void Export::remove_subkey(ExportKey& parent, std::string_view name) {
    const auto found = parent.subkeys.find(name);
    if (found != parent.subkeys.end()) parent.subkeys.erase(found);
}

void Export::add_part(ExportKey& key, const Part& part) {
    const auto index = static_cast<std::uint32_t>(parts_.size());
    parts_.push_back(part);
    if (key.last_part == no_part) {
        key.first_part = index;
    } else {
        parts_[key.last_part].next = index;
    }
    key.last_part = index;
}

const ExportKey* Export::find_subkey(const ExportKey& key, std::string_view name) const {
    const auto found = key.subkeys.find(name);
    return found == key.subkeys.end() ? nullptr : found->second;
}

const ExportKey* Export::subkey_at(const ExportKey& key, std::size_t index) const {
    if (index >= key.subkeys.size()) return nullptr;
    if (key.in_order.size() != key.subkeys.size()) {
        key.in_order.clear();
        key.in_order.reserve(key.subkeys.size());
        for (const auto& entry : key.subkeys) key.in_order.push_back(entry.second);
    }
    return key.in_order[index];
}

const std::vector<Value>& Export::values(const ExportKey& key) const {
    if (key.values_read) return key.values;
    for (std::uint32_t part = key.first_part; part != no_part; part = parts_[part].next) {
        LineReader lines(*source_, encoding_, parts_[part].begin, parts_[part].end, parts_[part].first_line);
        read_part_values(lines, version5_export_, key.values);
    }
    key.values_read = true;
    return key.values;
}

const Value* Export::find_value(const ExportKey& key, std::string_view name) const {
    for (const Value& value : values(key)) {
        if (same_name(value.name, name)) return &value;
    }
    return nullptr;
}

std::shared_ptr<const Export> read_export(std::string_view bytes, ValueCheck check) {
    return std::make_shared<const Export>(std::make_unique<OwnedText>(bytes), bytes.size(), check);
}

}  // namespace regfile
