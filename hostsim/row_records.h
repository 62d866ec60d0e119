// A fleet machine's row crosses from the process that ran the machine to the fleet's
// process as text: the records below, written by the one and read by the other.
#pragma once

#include <string>

#include "hostsim/fleet.h"

namespace hostsim {

// 'k': the kind of machine, its code page and its description, sent as soon as they are
// known, so that a machine whose run crashes later still shows them.
std::string kind_record(const MachineRow& row);

// 'n': what the index cache could not do for the machine, sent before the 'k' record.
std::string note_record(const MachineRow& row);

// 'r': the whole row, its every step with it, sent at the end of the machine's run.
std::string row_record(const MachineRow& row);

// Reads what a machine's process sent into row, whose name is set and whose outcomes are
// sized for the script: what arrived of it, even cut short. True when the whole row arrived.
bool read_records(const std::string& sent, MachineRow& row);

}  // namespace hostsim
