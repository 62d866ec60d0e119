// Windows side of the string helpers. This file is used for Windows only.
#include "platform/text.h"

#include <windows.h>

namespace platform {

bool same_text(const char* left, const char* right) noexcept {
    return lstrcmpA(left, right) == 0;
}

// The system's ANSI code page, as GetCPInfo reports it for CP_ACP.
LeadBytes ansi_lead_bytes() noexcept {
    return code_page::lead_bytes(CP_ACP);
}

}  // namespace platform
