// hostsim --snapshot: the machine the simulator runs on, written as a machine folder that
// hostsim --fleet reads (registry.reg, instruments, description and the files a script
// names), so that a script dry-run on the folder answers as it does on the machine.
#pragma once

#include <iosfwd>
#include <string>

namespace hostsim {

struct SnapshotRequest {
    std::string folder;  // the machine folder to write; it must not exist yet
    std::string script;  // the script whose files and keys go in too, or ""
    std::string version; // of the hostsim taking it
};

// Writes the folder under a name of this run's own beside it and renames it when every part
// is written, so that a folder of that name is always whole; holds ".DIR.lock" beside it
// meanwhile, so that one snapshot of a folder runs at a time. Prints its size and the time
// it took to out, each part that could not be written by name to errors, and returns the
// exit status: 0 written, 1 not.
int take_snapshot(const SnapshotRequest& request, std::ostream& out, std::ostream& errors);

}  // namespace hostsim
