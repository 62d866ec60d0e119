// Stand-in only: where a key path leads in the registry export of a 64-bit machine, as the
// view a key is opened in decides there.
#pragma once

#include <string>

#include "regfile/export_index.h"

namespace standin_registry {

// The path, below HKEY_LOCAL_MACHINE, of the key that path names when opened on a machine
// of the given kind, in the 64-bit view or otherwise in the 32-bit one. An export holds the
// keys as the 64-bit view shows them, so a 32-bit read (the own view of the libraries,
// which are 32-bit, or an explicit "32") of a path below SOFTWARE leads into
// SOFTWARE\WOW6432Node, and below SOFTWARE\Classes into SOFTWARE\Classes\WOW6432Node. Other
// paths, and every path on a 32-bit machine, lead to themselves.
std::string redirected_path(const std::string& path, bool sixty_four_bit_view, bool sixty_four_bit_machine);

// Whether a registry export shows itself to come from 64-bit Windows: it holds
// HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node.
bool holds_wow64_node(const regfile::Export& registry);

// Whether the environment states that the export comes from 64-bit Windows
// (VANTREL_REGISTRY_MACHINE is "64"), for a partial export, which cannot show it.
bool stated_sixty_four_bit_machine();

}  // namespace standin_registry
