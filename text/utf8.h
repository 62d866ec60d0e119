// UTF-8 itself, the one form text has inside the project: a code point written, and read
// back from bytes that may not be UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

// What bytes that are no character read as, and what a surrogate is written as.
constexpr char32_t replacement = 0xFFFD;

// Appends the code point as UTF-8; a surrogate, half of a UTF-16 pair and no character of
// its own, as U+FFFD.
void append(char32_t point, std::string& out);

// The code point the text (not empty) starts with, and in length the bytes it takes. Bytes
// that are not UTF-8 read as one U+FFFD for the longest start of a sequence they hold, at
// least one byte, so that what follows is read again from the next byte that can start one.
char32_t next(std::string_view text, std::size_t& length);

// The bytes of the character the text starts with, when they are UTF-8; 0 when they are not,
// or the text is empty.
std::size_t well_formed_length(std::string_view text);

// Whether the whole text is UTF-8 (a U+FFFD written as such included).
bool valid(std::string_view text);

}  // namespace utf8
