// The exports of vantrel.dll and driver.dll, linked into the custom-action library as
// functions it calls with a call record of its own.
#pragma once

#include <cstdint>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"

EXPORT_ABI std::int32_t STDCALL_ABI GetQuendrix(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetWexo(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetZelk(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GreaterEqual(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetDriverVer(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetRegKey(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetRegKeys(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI MapRegKeys(HostCallRecord* record) noexcept;
EXPORT_ABI std::int32_t STDCALL_ABI GetHW(HostCallRecord* record) noexcept;
