// Counts the heap allocations made while it runs, the stand-ins' own work aside.
#pragma once

#include <cstddef>

namespace testing_support {

// False where allocations cannot be counted (the test is then skipped).
bool start_counting_allocations();
std::size_t stop_counting_allocations();

}  // namespace testing_support
