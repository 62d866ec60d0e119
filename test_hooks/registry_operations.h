// Stand-in only: how many registry operations the stand-in has served in this process,
// so that a benchmark can tell how much registry work an export does per call.
#pragma once

#include <cstdint>

namespace platform {

// Every open (of a main key or a subkey), key query, enumeration, value query and close
// since the process started, failed ones included.
std::uint64_t registry_operations() noexcept;

}  // namespace platform
