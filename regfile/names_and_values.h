// What every part of the .reg reader shares: values as the registry types them, names
// compared as the registry compares them, key paths split into names, and the lines a
// reader skipped.
#pragma once

#include <cstdint>
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
    // The bytes an ANSI query returns: strings in the ANSI code page with their zeros.
    std::vector<unsigned char> data;
};

// Registry names are compared without regard to letter case, and keys enumerate in that
// order, as the registry itself keeps them.
struct NameOrder {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const noexcept;
};

// Equal under NameOrder: the same letters, whatever their case.
bool same_name(std::string_view left, std::string_view right) noexcept;

// The names along a backslash-separated key path, in order, into names (emptied first).
// Two backslashes in a row, or one at either end, make an empty name: an export's key line
// must not hold one, while the registry passes over them when it opens a path.
void split_key_path(std::string_view path, std::vector<std::string_view>& names);

// A line that could not be read and was skipped.
struct Warning {
    int line = 0;
    std::string message;
};

}  // namespace regfile
