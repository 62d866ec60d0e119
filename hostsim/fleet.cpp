// Running one script on every machine of a fleet. Each machine is shown to the libraries
// through the platform seam (its registry, its instruments), and its folder is the current
// folder while its script runs, so that a relative path the script names (a driver header)
// is looked up among that machine's files. A machine given as a bare .reg file has no
// files: its script runs in an empty folder.
#include "hostsim/fleet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>

#include "host/registry_source.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;

constexpr char registry_file_name[] = "registry.reg";
constexpr char instruments_file_name[] = "instruments";

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
    if (fs::is_directory(entry, ignored)) {
        machine.registry = (entry / registry_file_name).string();
        if (fs::exists(entry / instruments_file_name, ignored)) {
            machine.instruments = (entry / instruments_file_name).string();
        }
        machine.folder = entry.string();
    } else if (names_registry_file(machine.name)) {
        machine.registry = entry.string();
    } else {
        machine.unreadable = entry.string() + " is neither a folder nor a .reg file";
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

// Shows the machine's registry and instruments to the libraries loaded from now on.
bool show_machine(const Machine& machine, std::string& error) {
    if (!machine.unreadable.empty()) {
        error = machine.unreadable;
        return false;
    }
    std::vector<std::string> instruments;
    return read_instruments(machine.instruments, instruments, error) &&
           host::use_registry_file(machine.registry, error) && host::use_instruments(instruments, error);
}

MachineRow run_machine(const FleetRun& run, const Machine& machine, const std::string& launch_folder,
                       const std::string& empty_folder) {
    MachineRow row{machine.name, {}, std::vector<Outcome>(count_expectations(run.script), Outcome::not_reached), {}, {}};
    if (!show_machine(machine, row.error)) return row;
    row.kind = host::shown_machine_kind();
    const CurrentFolder inside(machine.folder.empty() ? empty_folder : machine.folder, row.error);
    if (!row.error.empty()) return row;
    // A session of its own: fresh variables, and libraries loaded for this machine and
    // unloaded after it, so no answer kept in a library's static storage outlives it.
    Session session(run.shape, launch_folder);
    std::ostream quiet(nullptr);
    ScriptRun script_run = run_steps(run.script, session, run.default_result, quiet, true);
    row.outcomes = std::move(script_run.outcomes);
    row.error = std::move(script_run.error);
    for (const std::string& name : run.shown) row.values.push_back(session.table().get(name).value_or(""));
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

std::vector<MachineRow> run_fleet(const FleetRun& run, const std::vector<Machine>& machines) {
    std::error_code ignored;
    const std::string launch_folder = fs::current_path(ignored).string();
    const EmptyFolder empty_folder;
    std::vector<MachineRow> rows;
    for (const Machine& machine : machines) rows.push_back(run_machine(run, machine, launch_folder, empty_folder.path()));
    return rows;
}

bool met_every_expectation(const MachineRow& row) {
    return row.error.empty() &&
           std::all_of(row.outcomes.begin(), row.outcomes.end(), [](Outcome o) { return o == Outcome::met; });
}

}  // namespace hostsim
