// Windows side of a code page's lead bytes, apart from the conversions: the DLLs link it,
// and nothing here allocates. This file is used for Windows only.
#include "text/code_page.h"

#include <windows.h>

namespace code_page {

// As GetCPInfo reports them: up to five ranges of lead bytes, the list ending at a pair of
// zeros.
LeadBytes lead_bytes(unsigned code_page) {
    LeadBytes leads{};
    CPINFO info{};
    if (!GetCPInfo(code_page, &info)) return leads;
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
        for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte) leads.lead[byte] = true;
    }
    return leads;
}

}  // namespace code_page
