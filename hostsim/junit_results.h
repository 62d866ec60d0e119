// The fleet's results as JUnit XML, the shape CI servers read: a testsuite per machine, a
// testcase per expectation named by its script line.
#pragma once

#include <iosfwd>
#include <vector>

#include "hostsim/fleet.h"

namespace hostsim {

// A missed expectation is a failure whose message says what was expected and what came
// back; one not reached is skipped; a machine that could not run to the end has one more
// testcase, "the script runs to its end", in error with the reason.
void write_junit_results(const Script& script, const std::vector<MachineRow>& rows, std::ostream& out);

}  // namespace hostsim
