// A registry export read once for its keys: the tree of HKEY_LOCAL_MACHINE's keys, and for
// each key where its values stand in the file. A key's values are read when one of them is
// first asked for, so that showing a machine to the libraries costs one pass over the
// lines of its export and no work per value, however large the export.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/line_reader.h"
#include "regfile/names_and_values.h"

namespace regfile {

constexpr std::uint32_t no_part = 0xFFFFFFFFu;

// A run of lines below one key line, up to the next key line: the values of a key stand
// in one such run for every key line that names it.
struct Part {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    int first_line = 0;
    std::uint32_t next = no_part;  // the key's next part
};

struct ExportKey {
    std::string name;  // as first spelled in the file
    std::map<std::string_view, ExportKey*, NameOrder> subkeys;  // keyed by each subkey's name
    std::uint32_t first_part = no_part;
    std::uint32_t last_part = no_part;
    // Filled on first use.
    mutable bool values_read = false;
    mutable std::vector<Value> values;
    mutable std::vector<const ExportKey*> in_order;  // the subkeys, for enumeration by index
};

enum class ValueCheck {
    when_asked,  // a value line is read only when its key's values are asked for
    every_line,  // every value line is read once, so that each one that cannot be read is noted
};

class Export {
public:
    Export(std::unique_ptr<ByteSource> source, std::uint64_t size, ValueCheck check);
    Export(const Export&) = delete;
    Export& operator=(const Export&) = delete;

    bool ok() const { return ok_; }
    int error_line() const { return error_line_; }  // 0 for a file that cannot be read at all
    const std::string& error() const { return error_; }
    // With ValueCheck::every_line, the lines skipped, in file order; otherwise none.
    const std::vector<Warning>& warnings() const { return warnings_; }

    const ExportKey& machine() const { return *machine_; }
    const ExportKey* find_subkey(const ExportKey& key, std::string_view name) const;
    std::size_t subkey_count(const ExportKey& key) const { return key.subkeys.size(); }
    const ExportKey* subkey_at(const ExportKey& key, std::size_t index) const;
    const Value* find_value(const ExportKey& key, std::string_view name) const;
    const std::vector<Value>& values(const ExportKey& key) const;

    // Building the index (entry_parser.cpp).
    ExportKey& add_subkey(ExportKey& parent, std::string_view name);
    void remove_subkey(ExportKey& parent, std::string_view name);
    void add_part(ExportKey& key, const Part& part);
    void fail(int line, std::string message);
    void warn(int line, std::string message) { warnings_.push_back({line, std::move(message)}); }

private:
    std::unique_ptr<ByteSource> source_;
    Encoding encoding_ = Encoding::ansi;
    bool version5_export_ = true;
    std::deque<ExportKey> keys_;  // every key ever read, the removed ones too: addresses stay
    ExportKey* machine_;
    std::vector<Part> parts_;
    bool ok_ = true;
    int error_line_ = 0;
    std::string error_;
    std::vector<Warning> warnings_;
};

// The export in bytes (copied: the index outlives them).
std::shared_ptr<const Export> read_export(std::string_view bytes, ValueCheck check);

}  // namespace regfile
