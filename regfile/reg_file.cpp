// Parser for registry export files (.reg), as regedit writes them.
#include "regfile/reg_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "text/characters.h"

namespace regfile {
namespace {

// One line of the file, numbered from 1 as an editor numbers it.
struct Line {
    int number;
    std::string text;
};

struct ParseFailure {
    int line;
    std::string message;
};

// UTF-16 text maps onto the 8-bit code page the stand-in uses (Latin-1); a character
// outside it reads as '?', as a conversion to a narrow code page gives.
std::string narrow_utf16(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                              static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit >= 0xDC00 && unit <= 0xDFFF && !text.empty() && text.back() == '?') continue;
        text.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    return text;
}

std::string decode_file(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        return narrow_utf16(bytes.substr(2));
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return std::string(bytes.substr(3));
    }
    return std::string(bytes);
}

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream stream(text);
    std::string line;
    for (int number = 1; std::getline(stream, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back({number, line});
    }
    return lines;
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
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

class Parser {
public:
    explicit Parser(std::vector<Line> lines) : lines_(std::move(lines)) {}

    Key run() {
        read_header();
        for (position_ = header_index_ + 1; position_ < lines_.size(); ++position_) {
            read_entry();
        }
        return std::move(machine_);
    }

    std::vector<Warning> take_warnings() { return std::move(warnings_); }

private:
    enum class Target { none, machine_key, elsewhere };

    [[noreturn]] void fail(const std::string& message) const {
        throw ParseFailure{lines_.empty() ? 1 : lines_[position_].number, message};
    }

    void read_header() {
        for (position_ = 0; position_ < lines_.size(); ++position_) {
            const std::string_view text = trim(lines_[position_].text);
            if (text.empty()) continue;
            if (text == "REGEDIT4") {
                utf16_data_ = false;
            } else if (text == "Windows Registry Editor Version 5.00") {
                utf16_data_ = true;
            } else {
                fail("not a registry file: the first line must be \"REGEDIT4\" or "
                     "\"Windows Registry Editor Version 5.00\"");
            }
            header_index_ = position_;
            return;
        }
        position_ = 0;
        fail("empty file: no registry header");
    }

    // Reads the key or value starting at the current line. One that cannot be read is
    // skipped, with the lines it continued onto, and noted under its first line.
    void read_entry() {
        const int first_line = lines_[position_].number;
        try {
            read_line();
        } catch (const ParseFailure& failure) {
            warnings_.push_back({first_line, failure.message});
        }
    }

    void read_line() {
        const std::string_view text = trim(lines_[position_].text);
        if (text.empty() || text.front() == ';') return;
        if (text.front() == '[') return read_key_line(text);
        if (text.front() == '"' || text.front() == '@') return read_value_line(text);
        fail("expected a [key] or a value, found '" + std::string(text.substr(0, 40)) + "'");
    }

    void read_key_line(std::string_view text) {
        // Until this line is read whole, the values below it belong to no key of the file.
        target_ = Target::elsewhere;
        const auto close = text.rfind(']');
        if (close == std::string_view::npos || !trim(text.substr(close + 1)).empty()) {
            fail("a key line must end with ']'");
        }
        std::string_view path = text.substr(1, close - 1);
        const bool deletion = !path.empty() && path.front() == '-';
        if (deletion) path.remove_prefix(1);
        std::vector<std::string> components = split_path(path);
        const bool machine = same_name(components.front(), "HKEY_LOCAL_MACHINE");
        if (!machine && !is_other_hive(components.front())) {
            fail("unknown root key '" + components.front() + "'");
        }
        components.erase(components.begin());
        if (deletion) {
            if (machine) delete_key(components);
            target_ = Target::none;
        } else if (machine) {
            current_ = &create_key(components);
            target_ = Target::machine_key;
        } else {
            target_ = Target::elsewhere;
        }
    }

    std::vector<std::string> split_path(std::string_view path) const {
        std::vector<std::string> components;
        std::size_t start = 0;
        while (true) {
            const auto end = path.find('\\', start);
            const std::string_view part = path.substr(start, end - start);
            if (part.empty()) fail("empty key name in path");
            components.emplace_back(part);
            if (end == std::string_view::npos) return components;
            start = end + 1;
        }
    }

    static bool is_other_hive(std::string_view hive) {
        for (const char* known : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                  "HKEY_CURRENT_CONFIG", "HKEY_PERFORMANCE_DATA", "HKEY_DYN_DATA"}) {
            if (same_name(hive, known)) return true;
        }
        return false;
    }

    Key& create_key(const std::vector<std::string>& components) {
        Key* key = &machine_;
        for (const std::string& component : components) {
            auto [entry, created] = key->subkeys.try_emplace(component);
            if (created) entry->second.name = component;
            key = &entry->second;
        }
        return *key;
    }

    void delete_key(const std::vector<std::string>& components) {
        if (components.empty()) fail("HKEY_LOCAL_MACHINE itself cannot be deleted");
        Key* parent = &machine_;
        for (std::size_t i = 0; i + 1 < components.size(); ++i) {
            auto entry = parent->subkeys.find(components[i]);
            if (entry == parent->subkeys.end()) return;
            parent = &entry->second;
        }
        parent->subkeys.erase(components.back());
    }

    void read_value_line(std::string_view text) {
        if (target_ == Target::none) fail("a value must follow a [key] line");
        std::string name;
        std::size_t rest = 1;
        if (text.front() == '"') {
            rest = read_quoted(text, 0, name);
        }
        const std::string_view after_name = trim(text.substr(rest));
        if (after_name.empty() || after_name.front() != '=') fail("expected '=' after the value name");
        const std::string_view data = trim(after_name.substr(1));
        if (data == "-") {
            if (target_ == Target::machine_key) delete_value(name);
            return;
        }
        Value value = read_value_data(data);
        value.name = std::move(name);
        if (target_ == Target::machine_key) store_value(std::move(value));
    }

    // Reads a quoted string starting at text[open]; returns the index after the closing quote.
    std::size_t read_quoted(std::string_view text, std::size_t open, std::string& out) const {
        for (std::size_t i = open + 1; i < text.size(); ++i) {
            if (text[i] == '"') return i + 1;
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            out.push_back(text[i]);
        }
        fail("a quoted string has no closing '\"'");
    }

    Value read_value_data(std::string_view data) {
        Value value;
        if (!data.empty() && data.front() == '"') {
            std::string text;
            const std::size_t end = read_quoted(data, 0, text);
            if (!trim(data.substr(end)).empty()) fail("unexpected text after a string value");
            value.type = type_string;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
        } else if (data.substr(0, 6) == "dword:") {
            std::uint64_t number = 0;
            if (!parse_hex_number(data.substr(6), 8, number)) fail("a dword needs 1 to 8 hex digits");
            value.type = type_dword;
            for (int shift = 0; shift < 32; shift += 8) {
                value.data.push_back(static_cast<unsigned char>(number >> shift));
            }
        } else if (data.substr(0, 3) == "hex") {
            read_hex_value(data.substr(3), value);
        } else {
            fail("unrecognised value data '" + std::string(data.substr(0, 40)) + "'");
        }
        return value;
    }

    // "hex:" or "hex(N):" then bytes, continued on the next line after a trailing '\'.
    void read_hex_value(std::string_view data, Value& value) {
        value.type = type_binary;
        if (!data.empty() && data.front() == '(') {
            const auto close = data.find(')');
            std::uint64_t type = 0;
            if (close == std::string_view::npos || !parse_hex_number(data.substr(1, close - 1), 8, type)) {
                fail("hex(N) needs a hexadecimal type number");
            }
            value.type = static_cast<std::uint32_t>(type);
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':') fail("expected ':' after hex");
        std::string bytes(data.substr(1));
        while (!bytes.empty() && trim(bytes).size() && trim(bytes).back() == '\\') {
            bytes = std::string(trim(bytes));
            bytes.pop_back();
            if (++position_ >= lines_.size()) {
                --position_;
                fail("a continued line has no next line");
            }
            bytes += trim(lines_[position_].text);
        }
        value.data = read_byte_list(bytes);
        if (utf16_data_ && is_text_type(value.type)) value.data = narrow_text_data(value.data);
    }

    std::vector<unsigned char> read_byte_list(std::string_view text) const {
        std::vector<unsigned char> bytes;
        text = trim(text);
        if (text.empty()) return bytes;
        std::size_t start = 0;
        while (true) {
            const auto comma = text.find(',', start);
            const std::string_view item = trim(text.substr(start, comma - start));
            std::uint64_t byte = 0;
            if (item.empty() && comma == std::string_view::npos) return bytes;  // trailing comma
            if (!parse_hex_number(item, 2, byte)) fail("'" + std::string(item) + "' is not a hex byte");
            bytes.push_back(static_cast<unsigned char>(byte));
            if (comma == std::string_view::npos) return bytes;
            start = comma + 1;
        }
    }

    static bool is_text_type(std::uint32_t type) {
        return type == type_string || type == type_expandable_string || type == type_multi_string;
    }

    // Version 5 files hold text data as UTF-16LE; an ANSI query returns it narrowed.
    static std::vector<unsigned char> narrow_text_data(const std::vector<unsigned char>& data) {
        const std::string text =
            narrow_utf16(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        return {text.begin(), text.end()};
    }

    void store_value(Value value) {
        for (Value& existing : current_->values) {
            if (same_name(existing.name, value.name)) {
                existing.type = value.type;
                existing.data = std::move(value.data);
                return;
            }
        }
        current_->values.push_back(std::move(value));
    }

    void delete_value(const std::string& name) {
        auto& values = current_->values;
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const Value& v) { return same_name(v.name, name); }),
                     values.end());
    }

    std::vector<Line> lines_;
    std::size_t position_ = 0;
    std::size_t header_index_ = 0;
    bool utf16_data_ = true;
    Key machine_;
    std::vector<Warning> warnings_;
    Key* current_ = nullptr;
    Target target_ = Target::none;
};

}  // namespace

bool same_name(std::string_view left, std::string_view right) noexcept {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return characters::to_upper(a) == characters::to_upper(b); });
}

bool NameOrder::operator()(const std::string& left, const std::string& right) const noexcept {
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
            return static_cast<unsigned char>(characters::to_upper(a)) < static_cast<unsigned char>(characters::to_upper(b));
        });
}

const Key* Key::find_subkey(std::string_view wanted) const {
    const auto entry = subkeys.find(std::string(wanted));
    return entry == subkeys.end() ? nullptr : &entry->second;
}

const Value* Key::find_value(std::string_view wanted) const {
    for (const Value& value : values) {
        if (same_name(value.name, wanted)) return &value;
    }
    return nullptr;
}

ParseResult parse(std::string_view bytes) {
    ParseResult result;
    try {
        Parser parser(split_lines(decode_file(bytes)));
        result.machine = parser.run();
        result.warnings = parser.take_warnings();
        result.ok = true;
    } catch (const ParseFailure& failure) {
        result.error_line = failure.line;
        result.error = failure.message;
    }
    return result;
}

ParseResult load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ParseResult result;
        result.error = "cannot read " + path;
        return result;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return parse(bytes);
}

}  // namespace regfile
