// A machine folder's description: what hostsim --snapshot found of the machine besides its
// registry, its instruments and its files. One NAME=VALUE a line; lines starting with #
// and blank lines are passed over, and names the reader does not know are kept unread.
#pragma once

#include <string>

#include "host/this_machine.h"

namespace hostsim {

struct Description {
    std::string windows;  // "64-bit" or "32-bit", or "" when the description does not say
};

// The description's text for a machine, the snapshot taken at `taken` (UTC, ISO 8601) by
// the hostsim of version `version`.
std::string description_text(const host::MachineFacts& machine, const std::string& taken, const std::string& version);

// Reads the description at path. False, with "PATH:LINE: reason" (or "cannot read PATH")
// in error, when it cannot be read or a line is not NAME=VALUE or names no kind of Windows.
bool read_description(const std::string& path, Description& description, std::string& error);

}  // namespace hostsim
