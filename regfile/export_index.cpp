// The index of an export: made in one pass over its lines, consulted key by key after.
#include "regfile/export_index.h"

#include <algorithm>

#include "regfile/entry_parser.h"
#include "text/code_page.h"

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

namespace {

// The encoding a file's byte-order mark states, and where its text starts.
Encoding read_mark(const ByteSource& source, std::uint64_t& begin) {
    char mark[3] = {};
    const std::size_t marked = source.read_at(0, mark, sizeof mark);
    begin = 0;
    if (marked >= 2 && mark[0] == '\xFF' && mark[1] == '\xFE') {
        begin = 2;
        return Encoding::utf16le;
    }
    if (marked == 3 && std::string_view(mark, 3) == "\xEF\xBB\xBF") {
        begin = 3;
        return Encoding::utf8;
    }
    return Encoding::ansi;
}

std::shared_ptr<const IndexContent> index_source(const ByteSource& source, std::uint64_t size, ValueCheck check,
                                                 unsigned code_page) {
    auto content = std::make_shared<IndexContent>();
    std::uint64_t begin = 0;
    content->encoding = read_mark(source, begin);
    content->code_page = code_page;
    content->check = check;
    LineReader lines(source, content->encoding, code_page, begin, size, 1);
    index_lines(lines, check, *content);
    return content;
}

}  // namespace

Export::Export(std::shared_ptr<const ByteSource> source, std::uint64_t size, ValueCheck check)
    : source_(std::move(source)), code_page_(code_page::machine_code_page()) {
    content_ = index_source(*source_, size, check, code_page_);
}

Export::Export(std::shared_ptr<const ByteSource> source, std::shared_ptr<const IndexContent> content, unsigned code_page)
    : source_(std::move(source)), content_(std::move(content)), code_page_(code_page) {}

const ExportKey* Export::find_subkey(const ExportKey& key, std::string_view name) const {
    const ExportKey* first = content_->table.keys.data() + key.first_subkey;
    const ExportKey* last = first + key.subkey_count;
    const ExportKey* found = std::lower_bound(
        first, last, name, [](const ExportKey& subkey, std::string_view wanted) { return NameOrder()(subkey.name, wanted); });
    return found != last && same_name(found->name, name) ? found : nullptr;
}

const ExportKey* Export::subkey_at(const ExportKey& key, std::size_t index) const {
    if (index >= key.subkey_count) return nullptr;
    return &content_->table.keys[key.first_subkey + index];
}

const std::vector<Value>& Export::values(const ExportKey& key) const {
    const auto known = values_.find(&key);
    if (known != values_.end()) return known->second;
    std::vector<Value>& values = values_[&key];
    const Part* const parts = content_->table.parts.data() + key.first_part;
    for (const Part* part = parts; part != parts + key.part_count; ++part) {
        LineReader lines(*source_, content_->encoding, code_page_, part->begin, part->end, 1);
        read_part_values(lines, content_->version5_export, code_page_, values);
    }
    return values;
}

const Value* Export::find_value(const ExportKey& key, std::string_view name) const {
    for (const Value& value : values(key)) {
        if (same_name(value.name, name)) return &value;
    }
    return nullptr;
}

std::shared_ptr<const Export> unreadable_export(std::string message) {
    auto content = std::make_shared<IndexContent>();
    content->ok = false;
    content->error = std::move(message);
    content->table.keys.emplace_back();
    return std::make_shared<const Export>(std::make_shared<MemorySource>(""), std::move(content),
                                          code_page::machine_code_page());
}

std::shared_ptr<const Export> read_export(std::string_view bytes, ValueCheck check) {
    return std::make_shared<const Export>(std::make_shared<OwnedText>(bytes), bytes.size(), check);
}

}  // namespace regfile
