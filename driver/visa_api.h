// The four VISA entry points GetHW uses, with the types and calling convention of the
// published VISA standard (VISA calls them with the library's standard convention, stdcall
// on 32-bit Windows).
#pragma once

#include <cstdint>

#include "platform/calling_convention.h"

namespace visa {

using Status = std::int32_t;  // negative on error
using Session = std::uint32_t;
using FindList = std::uint32_t;
using Object = std::uint32_t;

// A descriptor buffer of the VISA find functions.
constexpr unsigned find_buffer_size = 256;
// Errors are negative; success and the completion codes (warnings) are 0 and above.
constexpr Status success = 0;

using OpenDefaultRM = Status(STDCALL_ABI*)(Session* session);
using FindRsrc = Status(STDCALL_ABI*)(Session session, char* expression, FindList* find_list,
                                      std::uint32_t* count, char* descriptor);
using FindNext = Status(STDCALL_ABI*)(FindList find_list, char* descriptor);
using Close = Status(STDCALL_ABI*)(Object object);

}  // namespace visa
