// Windows side of the string helpers. This file is used for Windows only.
#include "platform/text.h"

#include <windows.h>

namespace platform {

bool same_text(const char* left, const char* right) noexcept {
    return lstrcmpA(left, right) == 0;
}

}  // namespace platform
