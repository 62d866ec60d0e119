// Stand-in only: where a key path leads in the registry export of a 64-bit machine, as the
// view a key is opened in decides there.
#pragma once

#include <string>

#include "platform/registry.h"
#include "regfile/export_index.h"

namespace standin_registry {

// The path, below HKEY_LOCAL_MACHINE, of the key that path names when opened in view on a
// machine of the given kind. An export holds the keys as the 64-bit view shows them, so a
// 32-bit read (the own view of the libraries, which are 32-bit, or an explicit "32") of a
// path below SOFTWARE leads into SOFTWARE\WOW6432Node, and below SOFTWARE\Classes into
// SOFTWARE\Classes\WOW6432Node. Other paths, and every path on a 32-bit machine, lead to
// themselves.
std::string path_in_view(const std::string& path, platform::RegistryView view, bool sixty_four_bit_machine);

// Whether a registry export comes from 64-bit Windows: one that holds
// HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node does, and so does any export when
// VANTREL_REGISTRY_MACHINE is "64" (stated for a partial export, which cannot tell).
bool sixty_four_bit_machine(const regfile::Export& registry);

}  // namespace standin_registry
