// Installer scripts for the host simulator: one step a line, variables kept between steps.
#pragma once

#include <iosfwd>
#include <string>
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

struct ScriptRun {
    std::vector<Outcome> outcomes;  // one per expectation, in script order
    std::string error;              // "FILE:LINE: reason" of the step that ended the run, or ""
};

// Reads the script's steps, blank lines and comments left out; false when it cannot be read.
bool load_script(const std::string& file, Script& script, std::string& error);

// True for the steps that state an expectation.
bool states_expectation(const Step& step);

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
