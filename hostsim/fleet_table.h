// The fleet's table: one row per machine with each expectation's outcome, the values of
// the variables asked for and the verdict, as text for a reader or as TSV for a spreadsheet.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "hostsim/fleet.h"

namespace hostsim {

enum class TableFormat { text, tsv };

// A row's verdict: "met", "missed N of M", or "error: " and why the machine could not run.
std::string verdict(const MachineRow& row);

void print_fleet_table(const Script& script, const std::vector<std::string>& shown,
                       const std::vector<MachineRow>& rows, TableFormat format, std::ostream& out);

}  // namespace hostsim
