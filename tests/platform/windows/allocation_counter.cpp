// Allocations are counted in the native build only. This file is used for Windows only.
#include "support/allocation_counter.h"

namespace testing_support {

bool start_counting_allocations() {
    return false;
}

std::size_t stop_counting_allocations() {
    return 0;
}

}  // namespace testing_support
