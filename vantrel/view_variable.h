// The registry view a script asks for through REGISTRY_VIEW.
#pragma once

#include "hostcall/host_call.h"
#include "platform/registry.h"

namespace vantrel {

// "64" reads the 64-bit view of a 64-bit machine and "32" the 32-bit view; anything else
// (unset, empty, or any other text) opens keys exactly as a process of the library's own
// kind does, with no view flag.
platform::RegistryView read_registry_view(const HostCallRecord* record) noexcept;

}  // namespace vantrel
