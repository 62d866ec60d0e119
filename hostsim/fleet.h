// A fleet of machines for the host simulator: every entry of a folder is one machine (a
// .reg file, or a folder holding registry.reg, optional instruments and description files
// and the files a script names), and a script runs once on each, as if on that machine alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/process_per_task.h"
#include "host/variable_table.h"
#include "hostsim/script.h"

namespace hostsim {

struct Machine {
    std::string name;         // the entry's name in the fleet's folder
    std::string registry;     // its .reg file
    std::string instruments;  // its instruments file, or "" when it has none
    std::string code_page;    // its code-page file, or "" when it has none
    std::string description;  // its description (hostsim/description.h), or "" when it has none
    std::string folder;       // the folder its script runs in; "" for a bare .reg file
    std::string unreadable;   // why the entry cannot be a machine, or ""
};

// The machines in the fleet's folder, ordered by name; entries whose names start with '.'
// are passed over. False, with a reason in error, when the folder cannot be read.
bool list_machines(const std::string& fleet_folder, std::vector<Machine>& machines, std::string& error);

struct FleetRun {
    Script script;
    host::TableShape shape;
    std::string default_result;
    std::vector<std::string> shown;  // the variables whose values each row shows
};

// A machine's description, NAME and VALUE a line, in the terminal's text.
using DescriptionLines = std::vector<std::pair<std::string, std::string>>;

struct MachineRow {
    std::string name;
    std::string kind;                 // "64-bit" or "32-bit" Windows; "" when not shown
    std::string code_page;            // its ANSI code page ("932"); "" when not shown
    std::vector<Outcome> outcomes;    // one per expectation of the script
    std::vector<std::string> values;  // of the shown variables; none when the script did not run
    std::string error;                // why the machine could not be run to the end, or ""
    DescriptionLines description;     // none when its folder holds no description
    std::vector<StepTrace> steps;     // every step that ran, in order
    std::string cache_note;           // what the index cache could not do for it, or ""
};

struct FleetJobs {
    unsigned count = 0;              // machines run at the same time; 0: one per processor
    double time_limit_seconds = 60;  // for one machine's run; a machine that takes longer is stopped
};

// Runs the script on every machine, each in a process of its own: fresh variables, the
// libraries loaded afresh, so that nothing one machine leaves behind reaches another, and a
// machine that crashes or outlives the time limit is an error row. The rows are in the
// machines' order, however many run at once. progress is told how many machines are done.
// False, with the reason in error, where the machines cannot be run in processes of their own.
bool run_fleet(const FleetRun& run, const std::vector<Machine>& machines, const FleetJobs& jobs,
               std::vector<MachineRow>& rows, std::string& error, const host::Progress& progress = {});

// The row of the machine the libraries see now (on Windows, this one), named name and
// described as given: the script run to its end in the current folder, every expectation
// given its outcome, as a fleet runs it on each of its machines.
MachineRow run_here(const FleetRun& run, const std::string& name, DescriptionLines description);

// On Windows, where the libraries read this computer, its description as a snapshot would
// write it, taken now by the hostsim of version `version`; elsewhere none.
DescriptionLines describe_this_computer(const std::string& version);

// True when the machine ran to the end and met every expectation.
bool met_every_expectation(const MachineRow& row);

}  // namespace hostsim
