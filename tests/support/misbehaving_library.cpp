// A library whose export crashes or never returns on the machines that ask it to, for the
// host simulator's fleet tests: a machine is one whose folder (the current folder while its
// script runs) holds a file "misbehave" saying "crash" or "hang". Elsewhere it returns 1.
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"

EXPORT_ABI std::int32_t STDCALL_ABI Misbehave(HostCallRecord*) noexcept {
    std::string asked;
    std::ifstream("misbehave") >> asked;
    if (asked == "crash") raise(SIGSEGV);
    while (asked == "hang") pause();
    return 1;
}
