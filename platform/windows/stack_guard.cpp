// The stack protector's guard value and failure path for the DLLs' own code. This file is
// used for Windows only, and is built without the stack protector: it sets the guard.
//
// The toolchain's runtime seeds its guard through the CryptoAPI while the DLL loads, which
// can load further DLLs under the loader lock of the installer's process. This guard is
// seeded from KERNEL32 alone, the way a Windows compiler seeds its security cookie: the
// time, the process and thread ids, the performance counter and a stack address, which
// address-space layout randomisation moves on every run.
#include <windows.h>

#include <cstdint>

extern "C" {

// Used by every protected function; a fixed non-zero value until the DLL has loaded.
std::uintptr_t __stack_chk_guard = 0xBB40E64Eu;

// A protected function found its guard overwritten: the stack of the installer's thread is
// corrupt, and nothing may run on it any more, not even an exception handler.
[[noreturn]] void __stack_chk_fail() {
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}

}  // extern "C"

namespace {

std::uint64_t mix(std::uint64_t state, std::uint64_t value) {
    state ^= value + 0x9E3779B97F4A7C15ull + (state << 6) + (state >> 2);
    return state * 0xBF58476D1CE4E5B9ull;
}

// Runs with the DLL's other initialisers, before any export can be called.
__attribute__((constructor)) void seed_stack_guard() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    int on_stack = 0;
    std::uint64_t state = mix(0, (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
    state = mix(state, static_cast<std::uint64_t>(counter.QuadPart));
    state = mix(state, (std::uint64_t{GetCurrentProcessId()} << 32) | GetCurrentThreadId());
    state = mix(state, GetTickCount());
    state = mix(state, reinterpret_cast<std::uintptr_t>(&on_stack));
    const auto guard = static_cast<std::uintptr_t>(state ^ (state >> 32));
    // A zero first byte: an overrun by a string copy cannot write the guard back intact.
    __stack_chk_guard = guard & ~static_cast<std::uintptr_t>(0xFF);
}

}  // namespace
