// Value lines checked where they stand in the file, in its own encoding: most lines of an
// export are values that read without fault, and telling so costs a look at each character,
// with no conversion to UTF-8 and no data kept. Whatever this cannot vouch for is left to the
// entry parser (entry_parser.cpp), which reads it as before and says what is wrong.
#pragma once

#include "regfile/line_reader.h"

namespace regfile {

// Whether the line reads without fault as the entry parser reads it: a blank line, a
// comment, or (where values_allowed: below a key line) a value, its continuation lines read
// from lines. With check_data false, a value only as far as the parser reads one whose data
// it does not keep: its name, a hex value's type and where its continuation lines end.
// True: every line of the entry has been read. False: the line is another kind (a key line)
// or may not read, and lines after it may have been read; the caller reads it again.
bool line_reads(const RawLine& line, LineReader& lines, bool values_allowed, bool check_data);

}  // namespace regfile
