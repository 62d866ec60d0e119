// A library whose export crashes or never returns on the machines that ask it to, for the
// host simulator's fleet tests: a machine is one whose folder (the current folder while its
// script runs) holds a file "misbehave" saying "crash" or "hang". Elsewhere it returns 1.
// The crash is a trap instruction: SIGILL, or an illegal-instruction exception on Windows,
// which a fleet's table names alike; no sanitizer stands between it and the process's end.
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"

EXPORT_ABI std::int32_t STDCALL_ABI Misbehave(HostCallRecord*) noexcept {
    std::string asked;
    std::ifstream("misbehave") >> asked;
    if (asked == "crash") __builtin_trap();
    while (asked == "hang") std::this_thread::sleep_for(std::chrono::hours(1));
    return 1;
}
