// The host variables each export of vantrel and driver reads, so that a step-by-step
// account of a script's run can show them with the values they held when it was called.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

// The variables the export of that name reads, in the order the reference lists them; none
// for an export this table does not know. A decorated name (_GetZelk@4) and its undecorated
// form (GetZelk) are the same export.
const std::vector<std::string>& variables_read_by(const std::string& export_name);

}  // namespace hostsim
