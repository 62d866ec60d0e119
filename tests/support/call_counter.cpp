// A library that counts the calls made to it since it was loaded, for the host simulator's
// tests: a fleet loads its libraries afresh for every machine, so each machine's first call
// answers 1. It uses std::to_string as the deliverables do, whose template statics would
// keep a library loaded after dlclose unless unique symbols are turned off.
#include <cstdint>
#include <string>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"

namespace {

int calls_since_load = 0;

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI CountCalls(HostCallRecord* record) noexcept {
    ++calls_since_load;
    hostcall::write_result(record, std::to_string(calls_since_load).c_str());
    return 1;
}
