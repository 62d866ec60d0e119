// The lines of a .reg file as regedit reads them: the header, key lines and values, a
// value continued onto the lines after it. Used by the index (export_index.cpp) both to
// find the key lines and to read one key's values when they are asked for.
#pragma once

#include <vector>

#include "regfile/export_index.h"
#include "regfile/line_reader.h"

namespace regfile {

// Reads the header, then every line into content (its encoding and code page set): the keys,
// the parts their values stand in, whether the header is version 5's (whose text data is
// UTF-16; REGEDIT4's is in the code page) and, with ValueCheck::every_line, the lines that
// cannot be read. Without the header, content is not ok and holds HKEY_LOCAL_MACHINE alone.
// Names are kept as UTF-8.
void index_lines(LineReader& lines, ValueCheck check, IndexContent& content);

// Reads the values in one part of a key into values: the lines that cannot be read are
// skipped, as when the index was made.
void read_part_values(LineReader& lines, bool version5_export, unsigned code_page, std::vector<Value>& values);

}  // namespace regfile
