// Stand-in side of the string helpers, for builds away from Windows.
#include "platform/text.h"

#include <cstring>

namespace platform {

bool same_text(const char* left, const char* right) noexcept {
    return std::strcmp(left, right) == 0;
}

}  // namespace platform
