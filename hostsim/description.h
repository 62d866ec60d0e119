// A machine folder's description: what hostsim --snapshot found of the machine besides its
// registry, its instruments and its files. One NAME=VALUE a line; lines starting with #
// and blank lines are passed over; the kind of Windows is the one name the fleet acts on, and
// the other lines are kept for the reader of a report.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/this_machine.h"

namespace hostsim {

struct Description {
    std::string windows;  // "64-bit" or "32-bit", or "" when the description does not say
    std::vector<std::pair<std::string, std::string>> entries;  // every NAME=VALUE line, in order, as written
};

// The description of a machine as NAME and VALUE pairs, its facts taken at `taken` (UTC,
// ISO 8601) by the hostsim of version `version`.
std::vector<std::pair<std::string, std::string>> description_entries(const host::MachineFacts& machine,
                                                                     const std::string& taken,
                                                                     const std::string& version);

// The description's text for a machine, the snapshot taken at `taken` by the hostsim of
// version `version`.
std::string description_text(const host::MachineFacts& machine, const std::string& taken, const std::string& version);

// The time now, UTC, as a description states when its machine's facts were taken.
std::string utc_now();

// Reads the description at path. False, with "PATH:LINE: reason" (or "cannot read PATH")
// in error, when it cannot be read or a line is not NAME=VALUE or names no kind of Windows.
bool read_description(const std::string& path, Description& description, std::string& error);

}  // namespace hostsim
