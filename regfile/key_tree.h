// A registry export file (.reg) read whole into a tree of keys, every value read: the
// Windows test set-up writes this tree into the real registry, and the reader's tests look
// into it. The registry stand-in reads an export by its key lines alone (export_index.h),
// with the same rules.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/names_and_values.h"

namespace regfile {

struct Key {
    std::string name;  // as first spelled in the file
    std::map<std::string, Key, NameOrder> subkeys;
    std::vector<Value> values;

    const Key* find_subkey(std::string_view name) const;
    const Value* find_value(std::string_view name) const;
};

struct ParseResult {
    bool ok = false;
    Key machine;  // HKEY_LOCAL_MACHINE; keys of other hives are read and left out
    int error_line = 0;
    std::string error;
    std::vector<Warning> warnings;  // lines skipped, in file order; the parser prints nothing
};

// Parses the bytes of a .reg file: "REGEDIT4" or "Windows Registry Editor Version 5.00",
// in ANSI/UTF-8 (a UTF-8 byte-order mark is passed over) or in UTF-16LE with a byte-order
// mark. Blanks around the header and every other line are ignored. Only a missing header
// makes the file unreadable: a line that cannot be read is skipped with a warning, as
// regedit skips it (a malformed key line skips the values below it too), and the rest is
// read.
ParseResult parse(std::string_view bytes);

}  // namespace regfile
