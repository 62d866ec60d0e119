// A registry export read once for its keys: the tree of HKEY_LOCAL_MACHINE's keys, and for
// each key where its values stand in the file. A key's values are read when one of them is
// first asked for, so that showing a machine to the libraries costs one pass over the
// lines of its export and no work per value, however large the export. The index is a few
// flat tables, which an index cache can keep and read back whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "regfile/line_reader.h"
#include "regfile/names_and_values.h"

namespace regfile {

// A run of lines below one key line, up to the next key line: the values of a key stand
// in one such run for every key line that names it.
struct Part {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

struct ExportKey {
    std::string_view name;           // as first spelled in the file
    std::uint32_t first_subkey = 0;  // in KeyTable::keys, the subkeys side by side in enumeration order
    std::uint32_t subkey_count = 0;
    std::uint32_t first_part = 0;    // in KeyTable::parts, the key's parts side by side in file order
    std::uint32_t part_count = 0;
};

// The keys of an export and where their values stand: keys[0] is HKEY_LOCAL_MACHINE, and
// the names are held in names. Moved, never copied: the keys point into names.
struct KeyTable {
    KeyTable() = default;
    KeyTable(KeyTable&&) = default;
    KeyTable& operator=(KeyTable&&) = default;
    KeyTable(const KeyTable&) = delete;
    KeyTable& operator=(const KeyTable&) = delete;

    std::vector<ExportKey> keys;
    std::vector<char> names;
    std::vector<Part> parts;
};

enum class ValueCheck {
    when_asked,  // a value line is read only when its key's values are asked for
    every_line,  // every value line is read once, so that each one that cannot be read is noted
};

// What an index knows of its export, all of which an index cache keeps.
struct IndexContent {
    Encoding encoding = Encoding::ansi;
    unsigned code_page = 0;  // an ANSI export's names were read in it
    ValueCheck check = ValueCheck::when_asked;
    bool version5_export = true;
    bool ok = true;
    int error_line = 0;  // 0 for a file that cannot be read at all
    std::string error;
    std::vector<Warning> warnings;  // with ValueCheck::every_line, the lines skipped, in file order
    KeyTable table;

    // Whether the index reads the same for a machine of that code page: only an ANSI
    // export's names depend on it.
    bool holds_for(unsigned machine_code_page) const {
        return encoding != Encoding::ansi || code_page == machine_code_page;
    }
};

class Export {
public:
    // Indexes the bytes of source, up to size, for the machine's code page.
    Export(std::shared_ptr<const ByteSource> source, std::uint64_t size, ValueCheck check);
    // An index made before, over the source it was made of, for a machine of code_page (for
    // which the index must hold).
    Export(std::shared_ptr<const ByteSource> source, std::shared_ptr<const IndexContent> content, unsigned code_page);
    Export(const Export&) = delete;
    Export& operator=(const Export&) = delete;

    bool ok() const { return content_->ok; }
    int error_line() const { return content_->error_line; }
    const std::string& error() const { return content_->error; }
    // With ValueCheck::every_line, the lines skipped, in file order; otherwise none.
    const std::vector<Warning>& warnings() const { return content_->warnings; }
    // The code page of the machine the index is for: the values' text is read in it.
    unsigned code_page() const { return code_page_; }
    const std::shared_ptr<const IndexContent>& content() const { return content_; }
    const std::shared_ptr<const ByteSource>& source() const { return source_; }

    const ExportKey& machine() const { return content_->table.keys.front(); }
    const ExportKey* find_subkey(const ExportKey& key, std::string_view name) const;
    std::size_t subkey_count(const ExportKey& key) const { return key.subkey_count; }
    const ExportKey* subkey_at(const ExportKey& key, std::size_t index) const;
    const Value* find_value(const ExportKey& key, std::string_view name) const;
    const std::vector<Value>& values(const ExportKey& key) const;

private:
    std::shared_ptr<const ByteSource> source_;
    std::shared_ptr<const IndexContent> content_;
    unsigned code_page_;
    // Filled on first use, key by key.
    mutable std::unordered_map<const ExportKey*, std::vector<Value>> values_;
};

// An export that cannot be read at all: no keys, failed on line 0 with the message.
std::shared_ptr<const Export> unreadable_export(std::string message);

// The export in bytes (copied: the index outlives them).
std::shared_ptr<const Export> read_export(std::string_view bytes, ValueCheck check);

}  // namespace regfile
