// Marks the stand-in's own work (reading the registry file, the dynamic loader) so that a
// test counting the heap allocations of an export can leave it aside: the exports must not
// allocate, while the stand-ins of the registry and VISA, and the loader, may.
#pragma once

#if VANTREL_TEST_HOOKS
// Defined by a test program that counts allocations; absent everywhere else.
extern "C" __attribute__((weak)) void vantrel_standin_allocations(int entering);
#else
// A build without test hooks (one that ships) has no test program to tell.
constexpr void (*vantrel_standin_allocations)(int) = nullptr;
#endif

namespace platform {

class StandinAllocationScope {
public:
    StandinAllocationScope() {
        if (vantrel_standin_allocations != nullptr) vantrel_standin_allocations(1);
    }
    ~StandinAllocationScope() {
        if (vantrel_standin_allocations != nullptr) vantrel_standin_allocations(-1);
    }
    StandinAllocationScope(const StandinAllocationScope&) = delete;
    StandinAllocationScope& operator=(const StandinAllocationScope&) = delete;
};

}  // namespace platform
