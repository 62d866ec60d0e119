// Windows side of the open-file limit: Windows sets none. This file is used for Windows only.
#include "support/open_file_limit.h"

namespace testing_support {

OpenFileLimit::OpenFileLimit(int) {}

OpenFileLimit::~OpenFileLimit() = default;

}  // namespace testing_support
