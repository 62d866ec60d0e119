// Character classes as the C locale has them, for every part of the project that reads
// text: the queries, the .reg reader and the host simulator. Written out rather than taken
// from <cctype>, whose answers follow the locale a host may have set.
#pragma once

namespace characters {

// White space as isspace has it in the C locale: blank, tab, line feed, vertical tab, form
// feed and carriage return.
constexpr bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The letters A-Z and a-z, the only ones isalpha knows in the C locale.
constexpr bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// a-z as A-Z, every other byte as it is: letter case folded as the registry folds it in
// names, and no locale deciding what else counts as a letter.
constexpr char to_upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The value of c as a hexadecimal digit (either letter case), or -1 when it is none.
constexpr int hex_digit_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace characters
