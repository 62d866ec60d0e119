// Windows side of the string helpers. This file is used for Windows only.
#include "platform/text.h"

#include <windows.h>

namespace platform {

bool same_text(const char* left, const char* right) noexcept {
    return lstrcmpA(left, right) == 0;
}

// The system's ANSI code page (CP_ACP) as GetCPInfo reports it: up to five ranges of lead
// bytes, the list ending at a pair of zeros.
LeadBytes ansi_lead_bytes() noexcept {
    LeadBytes leads{};
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return leads;
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
        for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte) leads.lead[byte] = true;
    }
    return leads;
}

}  // namespace platform
