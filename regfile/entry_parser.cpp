// Reading the entries of a .reg file. A line that cannot be read is skipped with a warning
// under its first line, as regedit skips it; a malformed key line skips the values below
// it too. A hex value ending in '\' continues on the next line, whatever that line holds:
// the index must follow continuations to tell key lines from the rest.
#include "regfile/entry_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "regfile/index_builder.h"
#include "regfile/value_check.h"
#include "text/characters.h"
#include "text/code_page.h"

namespace regfile {
namespace {

struct ParseFailure {
    std::string message;
};

[[noreturn]] void fail(std::string message) {
    throw ParseFailure{std::move(message)};
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks are spaces and tabs; trimmed by hand, as this runs on every item of every line.
std::string_view trim(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool parse_hex_number(std::string_view text, std::uint32_t max_digits, std::uint64_t& number) {
    if (text.empty() || text.size() > max_digits) return false;
    number = 0;
    for (char c : text) {
        const int digit = characters::hex_digit_value(c);
        if (digit < 0) return false;
        number = number * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool is_text_type(std::uint32_t type) {
    return type == type_string || type == type_expandable_string || type == type_multi_string;
}

bool is_other_hive(std::string_view hive) {
    for (const char* known : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_CURRENT_CONFIG",
                              "HKEY_PERFORMANCE_DATA", "HKEY_DYN_DATA"}) {
        if (same_name(hive, known)) return true;
    }
    return false;
}

void store_value(std::vector<Value>& values, const std::string& name, const Value& read) {
    for (Value& existing : values) {
        if (same_name(existing.name, name)) {
            existing.type = read.type;
            existing.data = read.data;
            return;
        }
    }
    values.push_back(read);
    values.back().name = name;
}

void delete_value(std::vector<Value>& values, const std::string& name) {
    for (auto value = values.begin(); value != values.end();) {
        value = same_name(value->name, name) ? values.erase(value) : value + 1;
    }
}

// How many bytes the two texts begin with alike, compared eight at a time.
std::size_t common_prefix(std::string_view left, std::string_view right) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte of eight is the lowest");
    const std::size_t size = std::min(left.size(), right.size());
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t left_bytes, right_bytes;
        std::memcpy(&left_bytes, left.data() + at, 8);
        std::memcpy(&right_bytes, right.data() + at, 8);
        if (left_bytes != right_bytes) return at + static_cast<std::size_t>(__builtin_ctzll(left_bytes ^ right_bytes)) / 8;
    }
    while (at < size && left[at] == right[at]) ++at;
    return at;
}

// What the lines read so far make of the values that follow.
enum class Target { none, machine_key, elsewhere };

class EntryParser {
public:
    EntryParser(LineReader& lines, bool version5_export, unsigned code_page, bool read_data)
        : lines_(lines), version5_export_(version5_export), code_page_(code_page), read_data_(read_data) {}

    // Building the index: key lines make keys and parts, value lines are only followed.
    void index(IndexContent& content) {
        content_ = &content;
        builder_.start_tree(lines_.bytes_left());
        chain_.assign(1, IndexBuilder::root);
        if (read_header()) {
            content.version5_export = version5_export_;
            RawLine raw;
            while (lines_.next_raw(raw)) {
                // Most lines are values that read without fault, told so without converting them.
                if (!line_reads(raw, lines_, target_ != Target::none, read_data_)) read_entry_again(raw);
            }
            close_part(lines_.offset());
        }
        builder_.lay_out(content.table);
    }

    // Reading one key's values: every value line of the part is stored or deleted.
    void read_values(std::vector<Value>& values) {
        store_ = &values;
        target_ = Target::machine_key;
        while (lines_.next(line_)) {
            if (trim(line_.text).substr(0, 1) == "[") return;  // only a changed file puts one here
            read_entry();
        }
    }

private:
    // The entry starting at raw, read as UTF-8 from its first line.
    void read_entry_again(const RawLine& raw) {
        lines_.rewind(raw.offset, raw.number);
        if (lines_.next(line_)) read_entry();
    }

    bool read_header() {
        while (lines_.next(line_)) {
            const std::string_view text = trim(line_.text);
            if (text.empty()) continue;
            if (text == "REGEDIT4") {
                version5_export_ = false;
            } else if (text == "Windows Registry Editor Version 5.00") {
                version5_export_ = true;
            } else {
                fail_whole(line_.number, "not a registry file: the first line must be \"REGEDIT4\" or "
                                         "\"Windows Registry Editor Version 5.00\"");
                return false;
            }
            return true;
        }
        fail_whole(1, "empty file: no registry header");
        return false;
    }

    void fail_whole(int line, std::string message) {
        content_->ok = false;
        content_->error_line = line;
        content_->error = std::move(message);
    }

    // Reads the key or value starting at the current line. One that cannot be read is
    // skipped, with the lines it continued onto, and noted under its first line.
    void read_entry() {
        const int first_line = line_.number;
        try {
            read_line();
        } catch (const ParseFailure& failure) {
            if (content_ != nullptr && read_data_) content_->warnings.push_back({first_line, failure.message});
        }
    }

    void read_line() {
        const std::string_view text = trim(line_.text);
        if (text.empty() || text.front() == ';') return;
        if (text.front() == '[') return read_key_line(text);
        if (text.front() == '"' || text.front() == '@') return read_value_line(text);
        fail("expected a [key] or a value, found '" + std::string(text.substr(0, 40)) + "'");
    }

    void read_key_line(std::string_view text) {
        close_part(line_.offset);
        // Until this line is read whole, the values below it belong to no key of the file.
        target_ = Target::elsewhere;
        const auto close = text.rfind(']');
        if (close == std::string_view::npos || !trim(text.substr(close + 1)).empty()) {
            fail("a key line must end with ']'");
        }
        std::string_view path = text.substr(1, close - 1);
        const bool deletion = !path.empty() && path.front() == '-';
        if (deletion) path.remove_prefix(1);
        if (!deletion && read_after_last_path(path)) return;
        forget_last_path();
        split_path(path);
        const bool machine = same_name(names_.front(), "HKEY_LOCAL_MACHINE");
        if (!machine && !is_other_hive(names_.front())) {
            fail("unknown root key '" + std::string(names_.front()) + "'");
        }
        names_.erase(names_.begin());
        if (deletion) {
            if (machine) delete_key();
            target_ = Target::none;
        } else if (machine) {
            open_part(create_key());
            target_ = Target::machine_key;
            keep_last_path(path);
        }
    }

    // A key line that spells the names of the last one's path the same way, up to one of
    // them, the common case: those names are the chain's, and only the rest is looked at.
    bool read_after_last_path(std::string_view path) {
        const std::size_t common = common_prefix(path, last_path_);
        std::size_t shared = 0;  // names, HKEY_LOCAL_MACHINE first
        while (shared < last_ends_.size() && last_ends_[shared] <= common &&
               (last_ends_[shared] == path.size() || path[last_ends_[shared]] == '\\')) {
            ++shared;
        }
        if (shared == 0) return false;
        const std::size_t end = last_ends_[shared - 1];
        if (end < path.size()) {
            split_path(path.substr(end + 1));
        } else {
            names_.clear();
        }
        chain_.resize(shared);
        for (const std::string_view name : names_) chain_.push_back(builder_.subkey(chain_.back(), name));
        open_part(chain_.back());
        target_ = Target::machine_key;
        keep_last_path(path);
        return true;
    }

    void forget_last_path() {
        last_path_.clear();
        last_ends_.clear();
    }

    void keep_last_path(std::string_view path) {
        last_path_.assign(path);
        last_ends_.clear();
        for (std::size_t end = 0; (end = last_path_.find('\\', end)) != std::string::npos; ++end) last_ends_.push_back(end);
        last_ends_.push_back(last_path_.size());
    }

    void split_path(std::string_view path) {
        split_key_path(path, names_);
        if (std::find(names_.begin(), names_.end(), std::string_view()) != names_.end()) fail("empty key name in path");
    }

    // Export files list a key's subkeys right after it, so the keys of the last key line
    // are kept: most key lines add one name to them.
    std::uint32_t create_key() {
        std::size_t depth = 0;
        while (depth < names_.size() && depth + 1 < chain_.size() && same_name(builder_.name(chain_[depth + 1]), names_[depth])) {
            ++depth;
        }
        chain_.resize(depth + 1);
        for (; depth < names_.size(); ++depth) chain_.push_back(builder_.subkey(chain_[depth], names_[depth]));
        return chain_.back();
    }

    void delete_key() {
        if (names_.empty()) fail("HKEY_LOCAL_MACHINE itself cannot be deleted");
        chain_.assign(1, IndexBuilder::root);
        forget_last_path();
        std::uint32_t parent = IndexBuilder::root;
        for (std::size_t i = 0; i + 1 < names_.size(); ++i) {
            parent = builder_.find_subkey(parent, names_[i]);
            if (parent == IndexBuilder::no_key) return;
        }
        builder_.remove_subkey(parent, names_.back());
    }

    void open_part(std::uint32_t key) {
        part_key_ = key;
        part_ = Part{lines_.offset(), 0};
    }

    void close_part(std::uint64_t end) {
        if (part_key_ == IndexBuilder::no_key) return;
        part_.end = end;
        if (part_.end > part_.begin) builder_.add_part(part_key_, part_);
        part_key_ = IndexBuilder::no_key;
    }

    bool storing() const { return store_ != nullptr && target_ == Target::machine_key; }

    void read_value_line(std::string_view text) {
        if (target_ == Target::none) fail("a value must follow a [key] line");
        name_.clear();
        std::size_t rest = 1;
        if (text.front() == '"') rest = read_quoted(text, name_);
        const std::string_view after_name = trim(text.substr(rest));
        if (after_name.empty() || after_name.front() != '=') fail("expected '=' after the value name");
        const std::string_view data = trim(after_name.substr(1));
        if (data == "-") {
            if (storing()) delete_value(*store_, name_);
            return;
        }
        read_value_data(data);
        if (storing()) store_value(*store_, name_, value_);
    }

    // Reads a quoted string starting at text[0]; returns the index after the closing quote.
    std::size_t read_quoted(std::string_view text, std::string& out) const {
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i] == '"') return i + 1;
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            out.push_back(text[i]);
        }
        fail("a quoted string has no closing '\"'");
    }

    // A value's data is read whole only when it is kept or checked; a hex value's
    // continuation lines are followed in any case.
    void read_value_data(std::string_view data) {
        value_.data.clear();
        if (data.substr(0, 3) == "hex") return read_hex_value(data.substr(3));
        if (!read_data_ && !storing()) return;
        if (!data.empty() && data.front() == '"') {
            text_.clear();
            const std::size_t end = read_quoted(data, text_);
            if (!trim(data.substr(end)).empty()) fail("unexpected text after a string value");
            value_.type = type_string;
            value_.data.assign(text_.begin(), text_.end());
            value_.data.push_back(0);
        } else if (data.substr(0, 6) == "dword:") {
            std::uint64_t number = 0;
            if (!parse_hex_number(data.substr(6), 8, number)) fail("a dword needs 1 to 8 hex digits");
            value_.type = type_dword;
            for (int shift = 0; shift < 32; shift += 8) value_.data.push_back(static_cast<unsigned char>(number >> shift));
        } else {
            fail("unrecognised value data '" + std::string(data.substr(0, 40)) + "'");
        }
    }

    // "hex:" or "hex(N):" then bytes, continued on the next line after a trailing '\'.
    void read_hex_value(std::string_view data) {
        value_.type = type_binary;
        if (!data.empty() && data.front() == '(') {
            const auto close = data.find(')');
            std::uint64_t type = 0;
            if (close == std::string_view::npos || !parse_hex_number(data.substr(1, close - 1), 8, type)) {
                fail("hex(N) needs a hexadecimal type number");
            }
            value_.type = static_cast<std::uint32_t>(type);
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':') fail("expected ':' after hex");
        text_.assign(data.substr(1));
        while (ends_continued(text_)) {
            // In place: a value of many lines is copied once, not once per line.
            const std::string_view kept = trim(text_);
            const std::size_t first = static_cast<std::size_t>(kept.data() - text_.data());
            text_.resize(first + kept.size() - 1);
            text_.erase(0, first);
            if (!lines_.next(line_)) fail("a continued line has no next line");
            text_ += trim(line_.text);
        }
        if (!read_data_ && !storing()) return;
        read_byte_list(text_);
        // Text data in bytes is UTF-16 in version 5, and in the code page in REGEDIT4.
        if (is_text_type(value_.type)) {
            text_.assign(value_.data.begin(), value_.data.end());
            converted_.clear();
            if (version5_export_) {
                utf16_to_utf8(text_, converted_);
            } else {
                code_page::to_utf8(text_, code_page_, converted_);
            }
            value_.data.assign(converted_.begin(), converted_.end());
        }
    }

    static bool ends_continued(std::string_view bytes) {
        const std::string_view kept = trim(bytes);
        return !kept.empty() && kept.back() == '\\';
    }

    void read_byte_list(std::string_view text) {
        text = trim(text);
        if (text.empty()) return;
        for (std::size_t start = 0;;) {
            // Most items are two digits and a comma, as regedit writes them.
            const int high = start + 2 < text.size() ? characters::hex_digit_value(text[start]) : -1;
            const int low = high >= 0 ? characters::hex_digit_value(text[start + 1]) : -1;
            if (low >= 0 && text[start + 2] == ',') {
                value_.data.push_back(static_cast<unsigned char>(high * 16 + low));
                start += 3;
                continue;
            }
            std::size_t comma = start;
            while (comma < text.size() && text[comma] != ',') ++comma;
            const std::string_view item = trim(text.substr(start, comma - start));
            std::uint64_t byte = 0;
            if (item.empty() && comma == text.size()) return;  // trailing comma
            if (!parse_hex_number(item, 2, byte)) fail("'" + std::string(item) + "' is not a hex byte");
            value_.data.push_back(static_cast<unsigned char>(byte));
            if (comma == text.size()) return;
            start = comma + 1;
        }
    }

    LineReader& lines_;
    bool version5_export_;
    unsigned code_page_;
    bool read_data_;
    Line line_;
    IndexContent* content_ = nullptr;
    IndexBuilder builder_;
    std::vector<std::uint32_t> chain_;  // the keys along the last key line's path, from the machine
    // That path as written, and where each of its names ends, once read whole: "" when the
    // chain holds the keys of no path as written (after a deletion).
    std::string last_path_;
    std::vector<std::size_t> last_ends_;
    std::vector<std::string_view> names_;
    std::uint32_t part_key_ = IndexBuilder::no_key;
    Part part_;
    std::vector<Value>* store_ = nullptr;
    Target target_ = Target::none;
    // Reused from line to line: a value costs no allocation unless it is kept.
    std::string name_;
    std::string text_;
    std::string converted_;
    Value value_;
};

}  // namespace

void index_lines(LineReader& lines, ValueCheck check, IndexContent& content) {
    EntryParser(lines, true, content.code_page, check == ValueCheck::every_line).index(content);
}

void read_part_values(LineReader& lines, bool version5_export, unsigned code_page, std::vector<Value>& values) {
    EntryParser(lines, version5_export, code_page, true).read_values(values);
}

}  // namespace regfile
