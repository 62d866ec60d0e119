// Registry export files in the format regedit writes (.reg), read whole into a tree of
// keys: the Windows test set-up writes this tree into the real registry. The registry
// stand-in reads an export by its key lines alone (export_index.h), with the same rules.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

// Value types, numbered as the registry numbers them.
enum ValueType : std::uint32_t {
    type_none = 0,
    type_string = 1,
    type_expandable_string = 2,
    type_binary = 3,
    type_dword = 4,
    type_multi_string = 7,
    type_qword = 11,
};

struct Value {
    std::string name;  // "" is the default value
    std::uint32_t type = type_none;
    // The value's bytes; text (strings, expandable and multiple strings) as UTF-8 with its
    // zeros, which an ANSI query returns in the machine's code page.
    std::vector<unsigned char> data;
};

// Registry names are the same whatever the case of their ASCII letters.
bool same_name(std::string_view left, std::string_view right) noexcept;

// Registry names are compared without regard to letter case, and keys enumerate in that
// order, as the registry itself keeps them.
struct NameOrder {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const noexcept;
};

// Equal under NameOrder: the same letters, whatever their case.
bool same_name(std::string_view left, std::string_view right) noexcept;

struct Key {
    std::string name;  // as first spelled in the file
    std::map<std::string, Key, NameOrder> subkeys;
    std::vector<Value> values;

    const Key* find_subkey(std::string_view name) const;
    const Value* find_value(std::string_view name) const;
};

// A line that could not be read and was skipped.
struct Warning {
    int line = 0;
    std::string message;
};

struct ParseResult {
    bool ok = false;
    Key machine;  // HKEY_LOCAL_MACHINE; keys of other hives are read and left out
    int error_line = 0;
    std::string error;
    std::vector<Warning> warnings;  // lines skipped, in file order; the parser prints nothing
};

// Parses the bytes of a .reg file: "REGEDIT4" or "Windows Registry Editor Version 5.00",
// in ANSI (the machine's code page), in UTF-8 with a byte-order mark or in UTF-16LE with a
// byte-order mark. Names and text come out as UTF-8. Blanks around the header and every other line are ignored. Only a missing header
// makes the file unreadable: a line that cannot be read is skipped with a warning, as
// regedit skips it (a malformed key line skips the values below it too), and the rest is
// read.
ParseResult parse(std::string_view bytes);

}  // namespace regfile
