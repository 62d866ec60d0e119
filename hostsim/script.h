// Installer scripts for the host simulator: one step a line, variables kept between steps.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "hostsim/session.h"

namespace hostsim {

// One line of a script: its number, its command word and the rest of the line.
struct Step {
    int line = 0;
    std::string command;
    std::string rest;
};

struct Script {
    std::string file;
    std::vector<Step> steps;
};

// What became of one expectation ("expect NAME=VALUE", or "call ... expect N") in a run.
enum class Outcome { met, missed, not_reached };

// A variable an export reads, as it stood when the export was called.
struct VariableRead {
    std::string name;
    std::string value;  // shown: escaped, in the terminal's text
    bool set = false;   // false: there is no such variable, and the export reads ""
};

// How a step ended: ran (a step without an expectation), met or missed its expectation,
// or could not run, which ends the run.
enum class StepEnd { ran, met, missed, failed };

// What one step did, for a reader who follows a machine's run step by step. Values are
// shown as the terminal shows them: escaped, in the terminal's text.
struct StepTrace {
    int line = 0;                    // the step's line in the script
    StepEnd end = StepEnd::ran;
    std::vector<VariableRead> read;  // a call: the variables its export reads, before the call
    std::string returned;            // a call: the export's return value
    std::string answer_name;         // a call: its result variable,
    std::string answer;              //   and what that holds afterwards
    std::string expected;            // an expectation: what the script expects,
    std::string found;               //   and what came back
    std::string error;               // a step that missed or could not run: why
};

struct ScriptRun {
    std::vector<Outcome> outcomes;  // one per expectation, in script order
    std::string error;              // "FILE:LINE: reason" of the step that ended the run, or ""
    std::vector<StepTrace> steps;   // one per step that ran, in order
};

// Reads the script's steps, blank lines and comments left out; false when it cannot be read.
bool load_script(const std::string& file, Script& script, std::string& error);

// True for the steps that state an expectation.
bool states_expectation(const Step& step);

// The steps that state an expectation, in script order.
std::vector<Step> expectation_steps(const Script& script);

// The step as its line reads, comments and blanks around it left out: "expect NAME=VALUE".
std::string step_text(const Step& step);

// The library and the export a call step names; both "" for any other step.
std::pair<std::string, std::string> called_export(const Step& step);

// Runs the steps against the session, printing each step's outcome to out. A step that
// cannot run ends the run; a missed expectation ends it too unless keep_going is set.
ScriptRun run_steps(const Script& script, Session& session, const std::string& default_result,
                    std::ostream& out, bool keep_going);

// Runs the script in file to its end or its first failing step, whose "FILE:LINE: reason"
// is then in error.
bool run_script(const std::string& file, Session& session, const std::string& default_result,
                std::ostream& out, std::string& error);

extern const char* const script_help;

}  // namespace hostsim
