// ANSI string helpers that must behave as the host's own do.
#pragma once

#include <array>

namespace platform {

// Whole-string, case-sensitive equality as the host compares variable names.
bool same_text(const char* left, const char* right) noexcept;

// The bytes that start a double-byte character in the system's ANSI code page (932, 936,
// 949 and 950 have them; single-byte code pages none). The byte after one belongs to the
// same character, whatever it is: in 932, ア is 83 41 and 表 is 95 5C.
struct LeadBytes {
    std::array<bool, 256> lead;
    bool starts_pair(char c) const noexcept { return lead[static_cast<unsigned char>(c)]; }
};

// The lead bytes of the code page the system reports now (the stand-in: the one it models).
LeadBytes ansi_lead_bytes() noexcept;

}  // namespace platform
