// The lines of a .reg file as regedit reads them: the header, key lines and values, a
// value continued onto the lines after it. Used by the index (export_index.cpp) both to
// find the key lines and to read one key's values when they are asked for.
#pragma once

#include <vector>

#include "regfile/export_index.h"
#include "regfile/line_reader.h"

namespace regfile {

// Reads the header, then every line into the index: its keys and the parts their values
// stand in. False, with the failure noted in the index, when the header is missing;
// version5_export tells whether the header is version 5's, whose text data is UTF-16.
bool index_lines(LineReader& lines, Export& index, ExportKey& machine, ValueCheck check, bool& version5_export);

// Reads the values in one part of a key into values: the lines that cannot be read are
// skipped, as when the index was made.
void read_part_values(LineReader& lines, bool version5_export, std::vector<Value>& values);

}  // namespace regfile
