// Stand-in side of the string helpers, for builds away from Windows.
#include "platform/text.h"

#include <cstring>

#include "test_hooks/allocation_scope.h"
#include "text/code_page.h"

namespace platform {

bool same_text(const char* left, const char* right) noexcept {
    return std::strcmp(left, right) == 0;
}

// The code page the stand-in models (VANTREL_CODE_PAGE), its lead bytes as its conversion table gives them.
LeadBytes ansi_lead_bytes() noexcept try {
    const StandinAllocationScope standin;
    return code_page::lead_bytes(code_page::machine_code_page());
} catch (...) {
    return LeadBytes{};
}

}  // namespace platform
