// Running one script on every machine of a fleet, each machine in a process of its own,
// several at a time. Each machine is shown to the libraries (its registry, its
// instruments), and its folder is the current folder while its script runs, so that a relative path the script names (a driver header)
// is looked up among that machine's files. A machine given as a bare .reg file has no
// files: its script runs in an empty folder.
#include "hostsim/fleet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "host/process_per_task.h"
#include "host/registry_source.h"
#include "hostsim/description.h"
#include "hostsim/machine_folder.h"
#include "hostsim/row_records.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;


bool names_registry_file(const std::string& name) {
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".reg";
}

Machine machine_of(const fs::path& entry) {
    Machine machine;
    machine.name = entry.filename().string();
    std::error_code ignored;
    // Paths with '/' between their parts, as a row shows them on every system.
    if (fs::is_directory(entry, ignored)) {
        machine.registry = (entry / registry_file_name).generic_string();
        if (fs::exists(entry / instruments_file_name, ignored)) {
            machine.instruments = (entry / instruments_file_name).generic_string();
        }
        if (fs::exists(entry / code_page_file_name, ignored)) {
            machine.code_page = (entry / code_page_file_name).generic_string();
        }
        if (fs::exists(entry / description_file_name, ignored)) {
            machine.description = (entry / description_file_name).generic_string();
        }
        machine.folder = entry.generic_string();
    } else if (names_registry_file(machine.name)) {
        machine.registry = entry.generic_string();
    } else {
        machine.unreadable = entry.generic_string() + " is neither a folder nor a .reg file";
    }
    return machine;
}

// One VISA resource descriptor a line; blank lines and lines starting with # are skipped.
bool read_instruments(const std::string& path, std::vector<std::string>& descriptors, std::string& error) {
    descriptors.clear();
    if (path.empty()) return true;
    std::error_code ignored;
    std::ifstream file(path);
    if (!fs::is_regular_file(path, ignored) || !file) {
        error = "cannot read " + path;
        return false;
    }
    for (std::string line; std::getline(file, line);) {
        const auto start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        descriptors.push_back(line.substr(start, line.find_last_not_of(" \t\r") + 1 - start));
    }
    return true;
}

// The current folder for as long as the object lives; the one before is restored after.
class CurrentFolder {
public:
    CurrentFolder(const std::string& folder, std::string& error) {
        std::error_code failed;
        previous_ = fs::current_path(failed);
        if (!failed) fs::current_path(folder, failed);
        if (failed) error = "cannot enter the folder " + folder + ": " + failed.message();
        entered_ = !failed;
    }
    ~CurrentFolder() {
        std::error_code ignored;
        if (entered_) fs::current_path(previous_, ignored);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path previous_;
    bool entered_ = false;
};

// An empty folder of its own, for machines that bring no files; removed afterwards.
class EmptyFolder {
public:
    EmptyFolder() {
        std::error_code failed;
        const fs::path temporary = fs::temp_directory_path(failed);
        std::random_device random;
        for (int attempt = 0; attempt < 16 && path_.empty() && !failed; ++attempt) {
            const fs::path candidate = temporary / ("hostsim-machine-" + std::to_string(random()));
            if (fs::create_directory(candidate, failed)) path_ = candidate.string();
        }
    }
    ~EmptyFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove(path_, ignored);
    }
    EmptyFolder(const EmptyFolder&) = delete;
    EmptyFolder& operator=(const EmptyFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::size_t count_expectations(const Script& script) {
    return static_cast<std::size_t>(std::count_if(script.steps.begin(), script.steps.end(), states_expectation));
}

// The description's lines in the terminal's text: a snapshot writes them in the machine's
// code page, the one the libraries are shown now.
DescriptionLines for_terminal(const Description& description) {
    DescriptionLines lines;
    for (const auto& [name, value] : description.entries) {
        lines.emplace_back(host::machine_for_terminal(name), host::machine_for_terminal(value));
    }
    return lines;
}

// The machine's description (none when it cannot be read); its kind of Windows, for an
// export that cannot tell it, is stated from here on unless the description does not say.
bool read_machine_description(const Machine& machine, Description& description, std::string& error) {
    if (!machine.description.empty() && !read_description(machine.description, description, error)) {
        description = Description{};
        return false;
    }
    const std::string& kind = description.windows;
    return kind.empty() || host::state_machine_kind(kind == "64-bit" ? "64" : "32", error);
}

// Shows the machine's registry and instruments to the libraries loaded from now on.
bool show_machine(const Machine& machine, Description& description, std::string& error) {
    if (!machine.unreadable.empty()) {
        error = machine.unreadable;
        return false;
    }
    std::vector<std::string> instruments;
    if (!read_machine_description(machine, description, error) ||
        !read_instruments(machine.instruments, instruments, error) ||
        !host::use_stated_code_page(machine.code_page, error) || !host::use_registry_file(machine.registry, error) ||
        !host::use_instruments(instruments, error)) {
        return false;
    }
    const std::string& kind = description.windows;
    if (!kind.empty() && kind != host::shown_machine_kind()) {
        error = machine.description + " says " + kind + " Windows, but " + machine.registry + " comes from " +
                host::shown_machine_kind() + " Windows (it holds HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node)";
        return false;
    }
    return true;
}

// The row of a machine from what its process sent, and how that process ended.
MachineRow row_of(const Machine& machine, std::size_t expectations, const host::TaskResult& result,
                  double time_limit_seconds) {
    MachineRow row;
    row.name = machine.name;
    row.outcomes.assign(expectations, Outcome::not_reached);
    const bool whole = read_records(result.sent, row);
    if (result.end == host::TaskResult::End::timed_out) {
        std::ostringstream limit;
        limit << time_limit_seconds;
        row.error = "the machine's run took longer than the time limit of " + limit.str() + " s and was stopped";
    } else if (result.end == host::TaskResult::End::crashed || !whole) {
        row.error = "the machine's run ended with " + (result.reason.empty() ? "no row" : result.reason);
    }
    return row;
}

// Runs the script to its end in the current folder, every expectation given its outcome,
// and fills the row with them and the shown values.
void run_script_into_row(const FleetRun& run, const std::string& library_folder, MachineRow& row) {
    // A session of its own: fresh variables, and libraries loaded for this machine and
    // unloaded after it, so no answer kept in a library's static storage outlives it.
    Session session(run.shape, library_folder);
    std::ostream quiet(nullptr);
    ScriptRun script_run = run_steps(run.script, session, run.default_result, quiet, true);
    row.outcomes = std::move(script_run.outcomes);
    row.error = std::move(script_run.error);
    row.steps = std::move(script_run.steps);
    // In the terminal's text: the table shows the rows of machines of every code page.
    for (const std::string& name : run.shown) {
        row.values.push_back(host::machine_for_terminal(session.table().get(name).value_or("")));
    }
}

MachineRow run_machine(const FleetRun& run, const Machine& machine, const std::string& launch_folder,
                       const host::Send& send) {
    MachineRow row;
    row.name = machine.name;
    row.outcomes.assign(count_expectations(run.script), Outcome::not_reached);
    Description description;
    const bool shown = show_machine(machine, description, row.error);
    row.cache_note = host::take_index_cache_note();
    if (!row.cache_note.empty()) send(note_record(row));
    // Shown even when it contradicts the export: it helps to see what it says.
    row.description = for_terminal(description);
    if (!shown) return row;
    row.kind = host::shown_machine_kind();
    row.code_page = host::shown_code_page();
    send(kind_record(row));

    // Made and removed in the machine's own process, which may end without returning here
    // on a system where it is this program started again; left before it is removed.
    std::optional<EmptyFolder> empty_folder;
    if (machine.folder.empty()) empty_folder.emplace();
    const CurrentFolder inside(empty_folder ? empty_folder->path() : machine.folder, row.error);
    if (!row.error.empty()) return row;
    run_script_into_row(run, launch_folder, row);
    return row;
}

}  // namespace

bool list_machines(const std::string& fleet_folder, std::vector<Machine>& machines, std::string& error) {
    machines.clear();
    std::error_code failed;
    fs::directory_iterator entries(fleet_folder, failed);
    if (failed) {
        error = "cannot read the fleet's folder " + fleet_folder + ": " + failed.message();
        return false;
    }
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : entries) {
        if (entry.path().filename().string().rfind('.', 0) != 0) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) machines.push_back(machine_of(path));
    return true;
}

bool run_fleet(const FleetRun& run, const std::vector<Machine>& machines, const FleetJobs& jobs,
               std::vector<MachineRow>& rows, std::string& error, const host::Progress& progress) {
    std::error_code ignored;
    const std::string launch_folder = fs::current_path(ignored).string();
    const auto run_one = [&](std::size_t index, const host::Send& send) {
        const MachineRow row = run_machine(run, machines[index], launch_folder, send);
        send(row_record(row));
    };
    std::vector<host::TaskResult> results;
    if (!host::run_tasks(machines.size(), jobs.count, jobs.time_limit_seconds, run_one, results, error, progress)) {
        return false;
    }
    rows.clear();
    std::set<std::string> notes;
    for (std::size_t i = 0; i < machines.size(); ++i) {
        rows.push_back(row_of(machines[i], count_expectations(run.script), results[i], jobs.time_limit_seconds));
        if (!rows.back().cache_note.empty()) notes.insert(rows.back().cache_note);
    }
    // Once for the fleet, however many machines met it.
    for (const std::string& note : notes) std::cerr << note << '\n';
    return true;
}

MachineRow run_here(const FleetRun& run, const std::string& name, DescriptionLines description) {
    MachineRow row;
    row.name = name;
    row.description = std::move(description);
    row.kind = host::shown_machine_kind();
    row.code_page = host::shown_code_page();
    run_script_into_row(run, "", row);
    return row;
}

DescriptionLines describe_this_computer(const std::string& version) {
    std::string ignored;
    if (!host::can_take_snapshots(ignored)) return {};
    return description_entries(host::this_machine(), utc_now(), version);
}

bool met_every_expectation(const MachineRow& row) {
    return row.error.empty() &&
           std::all_of(row.outcomes.begin(), row.outcomes.end(), [](Outcome o) { return o == Outcome::met; });
}

}  // namespace hostsim
