// Allocation counting through the sanitizer allocator's hooks (the native build runs under
// AddressSanitizer). The stand-ins mark their own work with vantrel_standin_allocations.
#include "support/allocation_counter.h"

#include <cstddef>

// The sanitizer runtime's hook interface (declared here: GCC ships no header for it); weak,
// so that a build without the sanitizers (scripts/coverage) links and skips the counting.
extern "C" __attribute__((weak)) int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {

bool counting = false;
int standin_depth = 0;
std::size_t allocations = 0;

void count_allocation(const volatile void*, std::size_t) {
    if (counting && standin_depth == 0) ++allocations;
}

void ignore_free(const volatile void*) {}

}  // namespace

extern "C" __attribute__((visibility("default"))) void vantrel_standin_allocations(int entering) {
    standin_depth += entering;
}

namespace testing_support {

bool start_counting_allocations() {
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks != nullptr &&
                               __sanitizer_install_malloc_and_free_hooks(count_allocation, ignore_free) != 0;
    allocations = 0;
    counting = hooked;
    return hooked;
}

std::size_t stop_counting_allocations() {
    counting = false;
    return allocations;
}

}  // namespace testing_support
