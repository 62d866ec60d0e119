// ANSI string helpers that must behave as the host's own do.
#pragma once

namespace platform {

// Whole-string, case-sensitive equality as the host compares variable names.
bool same_text(const char* left, const char* right) noexcept;

}  // namespace platform
