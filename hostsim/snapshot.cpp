// Taking a machine's snapshot: its registry as its own reg.exe exports it (SOFTWARE, the
// code page's key and the keys a script names, in one file), the instruments GetHW lists,
// the files a script's DRIVER_PATH names, placed as text/machine_path.h says, and a
// description of the machine. Paths and names are UTF-8 here, converted from the machine's
// code page as the system converts what the libraries pass it, and Windows is given them
// through its wide functions.
#include "hostsim/snapshot.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <random>
#include <sstream>
#include <vector>

#include "host/system_text.h"
#include "host/this_machine.h"
#include "hostsim/description.h"
#include "hostsim/escapes.h"
#include "hostsim/machine_folder.h"
#include "hostsim/script.h"
#include "hostsim/session.h"
#include "hostsim/snapshot_paths.h"

namespace hostsim {
namespace {

namespace fs = std::filesystem;

// Every key the 32-bit libraries read below SOFTWARE is in its 64-bit export, WOW6432Node
// included; the code page is read by the fleet from the export too.
constexpr char software_key[] = "SOFTWARE";
constexpr char code_page_key[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";

// The parts that could not be written, each with its name.
class Failures {
public:
    void add(const std::string& part, const std::string& reason) { list_.push_back(part + ": " + reason); }
    bool any() const { return !list_.empty(); }
    void print(std::ostream& errors) const {
        for (const std::string& failure : list_) errors << "hostsim: snapshot: " << failure << '\n';
    }

private:
    std::vector<std::string> list_;
};

// The values the script's set steps give the variable, in order, each once, as the machine
// passes them on to Windows: in its code page, then read back by the system (a character the
// code page lacks as the libraries saw it), in UTF-8.
std::vector<std::string> values_set(const Script& script, const std::string& name) {
    std::vector<std::string> values;
    for (const Step& step : script.steps) {
        const auto equals = step.rest.find('=');
        std::string machine_text;
        if (step.command != "set" || equals == std::string::npos || step.rest.substr(0, equals) != name ||
            !typed(step.rest.substr(equals + 1), machine_text)) {
            continue;
        }
        const std::string value = terminal_text(machine_text);
        if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    }
    return values;
}

// SOFTWARE, the code page's key, then each key the script names that neither holds.
std::vector<std::string> keys_to_export(const Script* script) {
    std::vector<std::string> keys{software_key, code_page_key};
    if (script == nullptr) return keys;
    for (const std::string& typed_key : values_set(*script, "REGISTRY_KEY")) {
        const std::string key = key_path(typed_key);
        if (key.empty()) continue;
        if (std::none_of(keys.begin(), keys.end(), [&](const std::string& kept) { return lies_within(key, kept); })) {
            keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const std::string& kept) { return lies_within(kept, key); }),
                       keys.end());
            keys.push_back(key);
        }
    }
    return keys;
}

// Appends an export of another key to the main one: its lines after the header, in the
// same encoding (reg.exe writes every export alike: UTF-16LE with a byte-order mark).
bool append_export(const fs::path& part, const fs::path& registry, std::string& error) {
    std::ifstream in(part, std::ios::binary);
    if (!in) {
        error = "cannot read " + part.u8string() + ", which reg.exe wrote";
        return false;
    }
    std::array<char, 2> mark{};
    in.read(mark.data(), mark.size());
    const bool utf16 = in.gcount() == 2 && static_cast<unsigned char>(mark[0]) == 0xFF &&
                       static_cast<unsigned char>(mark[1]) == 0xFE;
    if (!utf16) {
        error = "reg.exe wrote " + part.filename().u8string() + " in another encoding than the SOFTWARE export";
        return false;
    }
    // The header line ends at the first line feed, a whole UTF-16 unit.
    for (std::array<char, 2> unit{}; in.read(unit.data(), unit.size()) && !(unit[0] == '\n' && unit[1] == '\0');) {
    }
    std::ofstream out(registry, std::ios::binary | std::ios::app);
    if (in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    out.flush();
    if (!out) error = "cannot append the export of another key to " + registry.u8string();
    return static_cast<bool>(out);
}

// Exports one key into file; a key the machine lacks is noted, one that cannot be exported
// is a failed part.
host::KeyExport export_key(const std::string& key, const fs::path& file, Failures& failures, std::ostream& errors) {
    std::string error;
    const host::KeyExport exported = host::export_registry_key(key, file.u8string(), error);
    if (exported == host::KeyExport::missing) {
        errors << "hostsim: snapshot: HKEY_LOCAL_MACHINE\\" << key << " is not on this machine; the export holds none either\n";
    } else if (exported == host::KeyExport::failed) {
        failures.add(std::string(registry_file_name) + ": HKEY_LOCAL_MACHINE\\" + key, error);
    }
    return exported;
}

// Another key's export, appended to the registry file; its own file is removed after.
void append_key(const std::string& key, const fs::path& part, const fs::path& registry, Failures& failures,
                std::ostream& errors) {
    std::string error;
    if (export_key(key, part, failures, errors) == host::KeyExport::written && !append_export(part, registry, error)) {
        failures.add(std::string(registry_file_name) + ": HKEY_LOCAL_MACHINE\\" + key, error);
    }
    std::error_code ignored;
    fs::remove(part, ignored);
}

void write_registry(const fs::path& folder, const Script* script, Failures& failures, std::ostream& errors) {
    const fs::path registry = folder / registry_file_name;
    const std::vector<std::string> keys = keys_to_export(script);
    if (export_key(keys.front(), registry, failures, errors) == host::KeyExport::missing) {
        failures.add(registry_file_name, "this machine has no SOFTWARE key");
    }
    for (std::size_t i = 1; i < keys.size(); ++i) {
        append_key(keys[i], folder / ("." + std::to_string(i) + ".reg"), registry, failures, errors);
    }
}

// The instruments as GetHW lists them, one a line, in a table roomy enough for the whole
// list (16 KiB at most).
void write_instruments(const fs::path& folder, Failures& failures) {
    Session session(host::TableShape{8, 64, 64 * 1024});
    std::int32_t returned = 0;
    std::string error;
    if (!session.call("driver", "GetHW", "INSTRUMENTS", returned, error)) {
        failures.add(instruments_file_name, error);
        return;
    }
    const std::string list = session.table().get("INSTRUMENTS").value_or("");
    std::ofstream file(folder / instruments_file_name, std::ios::binary);
    file << "# The VISA resources GetHW listed, one a line.\n";
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find("\r\n", start), list.size());
        file << list.substr(start, end - start) << '\n';
        start = end + 2;
    }
    file.flush();
    if (!file) failures.add(instruments_file_name, "cannot write " + (folder / instruments_file_name).u8string());
}

// Copies the file at path into the folder where the fleet looks for it. A path that names
// nothing, or a folder, is what the libraries read nothing from: noted, and left out. A file
// that is there but cannot be read fails the part.
void copy_script_file(const fs::path& folder, const std::string& path, Failures& failures, std::ostream& errors) {
    const std::string part = "file " + path;
    const std::string place = place_in_folder(path);
    if (place.empty()) {
        failures.add(part, "has no place in a machine folder (name its drive: C:\\dir\\file, a share "
                           "\\\\server\\share\\file, or a path below the current folder)");
        return;
    }
    const fs::path source = fs::u8path(path);
    std::error_code failed;
    const fs::file_status status = fs::status(source, failed);
    if (status.type() == fs::file_type::not_found) {
        errors << "hostsim: snapshot: " << path << " is not on this machine; the folder holds none either\n";
        return;
    }
    if (failed) {
        failures.add(part, "cannot read it: " + host::error_text(failed));
        return;
    }
    if (!fs::is_regular_file(status)) {
        errors << "hostsim: snapshot: " << path << " is not a file; the folder holds none either\n";
        return;
    }
    const fs::path target = folder / fs::u8path(place);
    fs::create_directories(target.parent_path(), failed);
    if (!failed) fs::copy_file(source, target, fs::copy_options::overwrite_existing, failed);
    if (failed) failures.add(part, "cannot copy it to " + target.u8string() + ": " + host::error_text(failed));
}

void copy_files(const fs::path& folder, const Script& script, Failures& failures, std::ostream& errors) {
    for (const std::string& path : values_set(script, "DRIVER_PATH")) {
        if (!path.empty()) copy_script_file(folder, path, failures, errors);
    }
}

void write_description(const fs::path& folder, const host::MachineFacts& machine, const std::string& taken,
                       const std::string& version, Failures& failures) {
    std::ofstream file(folder / description_file_name, std::ios::binary);
    file << description_text(machine, taken, version);
    file.flush();
    if (!file) failures.add(description_file_name, "cannot write " + (folder / description_file_name).u8string());
}

std::uintmax_t folder_size(const fs::path& folder, std::size_t& files) {
    std::uintmax_t bytes = 0;
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, ignored)) {
        if (entry.is_regular_file(ignored)) {
            bytes += entry.file_size(ignored);
            ++files;
        }
    }
    return bytes;
}

// The folder a snapshot writes before it is whole: beside DIR, named ".DIR.<hex>.partial"
// with a number of its own, so that a fleet passes it over and no other run writes into it.
bool is_partial_of(const std::string& entry, const std::string& name) {
    const std::string start = "." + name + ".", end = ".partial";
    if (entry.size() < start.size() + end.size() || entry.compare(0, start.size(), start) != 0 ||
        entry.compare(entry.size() - end.size(), end.size(), end) != 0) {
        return false;
    }
    const std::string number = entry.substr(start.size(), entry.size() - start.size() - end.size());
    // ".DIR.partial", as earlier versions named it, too.
    return number.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Removes the partial folders that earlier runs left of DIR. Called while DIR's claim is
// held, when no other snapshot of DIR runs: each was left by a run that ended.
void remove_old_partials(const fs::path& named) {
    std::error_code ignored;
    const fs::path parent = named.parent_path().empty() ? fs::path(".") : named.parent_path();
    std::vector<fs::path> old;
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, ignored)) {
        if (is_partial_of(entry.path().filename().u8string(), named.filename().u8string())) old.push_back(entry.path());
    }
    for (const fs::path& folder : old) fs::remove_all(folder, ignored);
}

// Makes a partial folder of this run's own: created anew, never one that was there.
fs::path make_partial(const fs::path& named, std::string& error) {
    std::random_device random;
    std::error_code failed;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::ostringstream number;
        number << std::hex << random();
        const std::string name = "." + named.filename().u8string() + "." + number.str() + ".partial";
        const fs::path partial = named.parent_path() / fs::u8path(name);
        if (fs::create_directory(partial, failed)) return partial;
        if (failed) break;
    }
    error = "cannot make a folder beside it" + (failed ? ": " + host::error_text(failed) : "");
    return {};
}

// The parts, written into the partial folder; failures names each that could not be.
void write_parts(const fs::path& partial, const SnapshotRequest& request, const Script& script,
                 const host::MachineFacts& machine, Failures& failures, std::ostream& errors) {
    write_registry(partial, request.script.empty() ? nullptr : &script, failures, errors);
    write_instruments(partial, failures);
    copy_files(partial, script, failures, errors);
    write_description(partial, machine, utc_now(), request.version, failures);
}

}  // namespace

int take_snapshot(const SnapshotRequest& request, std::ostream& out, std::ostream& errors) {
    const auto started = std::chrono::steady_clock::now();
    std::string error;
    if (!host::can_take_snapshots(error)) {
        errors << "hostsim: " << error << '\n';
        return 1;
    }
    Script script;
    if (!request.script.empty() && !load_script(request.script, script, error)) {
        errors << "hostsim: " << error << '\n';
        return 1;
    }
    const fs::path folder = fs::u8path(request.folder).lexically_normal();
    const fs::path named = folder.has_filename() ? folder : folder.parent_path();
    if (named.empty() || !named.has_filename()) {
        errors << "hostsim: snapshot: " << request.folder << " names no folder to write\n";
        return 1;
    }
    std::error_code failed;
    const auto exists_already = [&] {
        if (!fs::exists(named, failed)) return false;
        errors << "hostsim: snapshot: " << request.folder << " already exists; a snapshot is written to a new folder\n";
        return true;
    };
    if (exists_already()) return 1;
    if (named.has_parent_path() && !fs::is_directory(named.parent_path(), failed) &&
        !fs::create_directories(named.parent_path(), failed)) {
        errors << "hostsim: snapshot: cannot make " << named.parent_path().u8string() << ": " << host::error_text(failed) << '\n';
        return 1;
    }
    // Held until this run ends: one snapshot of DIR at a time, and the others say so.
    host::ExclusiveFile claim;
    bool held_elsewhere = false;
    const fs::path claim_path = named.parent_path() / fs::u8path("." + named.filename().u8string() + ".lock");
    if (!claim.take(claim_path.u8string(), held_elsewhere, error)) {
        errors << "hostsim: snapshot: " << request.folder << ": "
               << (held_elsewhere ? "another snapshot is writing it now (it holds " + claim_path.u8string() +
                                        "); this one stopped, and wrote nothing"
                                  : error)
               << '\n';
        return 1;
    }
    // Asked again: a run that held the claim a moment ago may have written it.
    if (exists_already()) return 1;
    remove_old_partials(named);
    const fs::path partial = make_partial(named, error);
    if (partial.empty()) {
        errors << "hostsim: snapshot: " << request.folder << ": " << error << '\n';
        return 1;
    }
    const host::MachineFacts machine = host::this_machine();
    Failures failures;
    write_parts(partial, request, script, machine, failures, errors);
    if (!failures.any()) {
        fs::rename(partial, named, failed);
        if (failed) failures.add(named.u8string(), "cannot rename " + partial.u8string() + " to it: " + host::error_text(failed));
    }
    if (failures.any()) {
        failures.print(errors);
        fs::remove_all(partial, failed);
        errors << "hostsim: snapshot: nothing written to " << request.folder << '\n';
        return 1;
    }
    std::size_t files = 0;
    const std::uintmax_t bytes = folder_size(named, files);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    out << "snapshot of " << machine.computer << " (" << machine.kind << " Windows " << machine.windows_version
        << ", code page " << machine.code_page << ") written to " << request.folder << ": " << files << " files, "
        << bytes << " bytes, in " << std::fixed << std::setprecision(1) << seconds.count() << " s\n";
    return 0;
}

}  // namespace hostsim
