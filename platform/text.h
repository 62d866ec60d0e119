// ANSI string helpers that must behave as the host's own do.
#pragma once

#include "text/code_page.h"

namespace platform {

// Whole-string, case-sensitive equality as the host compares variable names.
bool same_text(const char* left, const char* right) noexcept;

// The bytes that start a double-byte character, and the one step over a character.
using LeadBytes = code_page::LeadBytes;

// The lead bytes of the code page the system reports now (the stand-in: the one it models).
LeadBytes ansi_lead_bytes() noexcept;

}  // namespace platform
