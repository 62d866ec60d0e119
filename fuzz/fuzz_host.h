// Calling an export from a fuzz target: a fresh host table, the call, and the checks that
// hold for every export whatever the input (nothing written outside the host's slots).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/exports.h"
#include "host/variable_table.h"

namespace fuzzing {

// Fails the run the way a sanitizer finding does, with a line saying what broke.
[[noreturn]] inline void finding(const std::string& what) {
    std::fprintf(stderr, "finding: %s\n", what.c_str());
    std::abort();
}

// Calls the export if the library has it; returns false when it does not.
inline bool call_export(const std::string& library, const std::string& name, host::VariableTable& table,
                        const std::string& result_name, int& returned) {
    const host::ExportFunction function = find_export(library, name);
    if (function == nullptr) return false;
    returned = function(&table.record(result_name));
    if (!table.guards_intact()) finding(name + " wrote outside the host's slots");
    return true;
}

// Sets variables on a table wide enough for them, calls the export, returns its answer.
inline std::string call_with(const std::string& library, const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& variables,
                             int& returned, host::TableShape shape = {16, 32, 4096}) {
    host::VariableTable table(shape);
    for (const auto& [variable, value] : variables) table.set(variable, value);
    returned = -1;
    call_export(library, name, table, "RESULT", returned);
    return table.get("RESULT").value_or("");
}

}  // namespace fuzzing
