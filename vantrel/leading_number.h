// Reading the number a text starts with as "%f" reads it in the C locale.
#pragma once

namespace vantrel {

// Reads a leading decimal number (white space, an optional sign, digits with at most one
// decimal point) into the single-precision value nearest it, ties to even, as "%f" does:
// one rounding, whatever the number of digits. Beyond the float range it reads as infinity;
// a text that does not start with a number reads as 0.
float read_leading_number(const char* text) noexcept;

}  // namespace vantrel
