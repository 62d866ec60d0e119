// The fleet's results as one HTML page for people: a row per machine, and every machine's
// run step by step. Self-contained: its style and script are inline and nothing is fetched,
// so it works opened from disk and attached to a ticket.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "hostsim/fleet.h"

namespace hostsim {

struct ReportSource {
    std::string title;                // what was run: "examples/sample_install.script on examples/fleet"
    const Script& script;
    const std::vector<std::string>& shown;  // the --show variables, a column each
};

void write_html_report(const ReportSource& source, const std::vector<MachineRow>& rows, std::ostream& out);

}  // namespace hostsim
