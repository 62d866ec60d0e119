// Windows side of the closed standard input: handles are no small numbers, and nothing is
// closed. This file is used for Windows only.
#include "support/standard_input_closed.h"

namespace testing_support {

StandardInputClosed::StandardInputClosed() = default;

StandardInputClosed::~StandardInputClosed() = default;

}  // namespace testing_support
