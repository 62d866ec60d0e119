// Reading a host variable only when it fits its buffer whole.
#pragma once

#include <array>
#include <cstddef>

#include "hostcall/host_call.h"

namespace vantrel {

// Reads the variable into destination and tells whether it fitted. A key path, bound or
// value name cut to fit would name some other key, bound or value, so a caller treats a
// value that does not fit as a failure rather than work on what was read.
template <std::size_t Size>
bool read_whole_variable(const HostCallRecord* record, const char* bare_name,
                         std::array<char, Size>& destination) noexcept {
    return hostcall::read_host_variable(record, bare_name, destination) < Size;
}

}  // namespace vantrel
