// Taking a machine's snapshot: its registry as its own reg.exe exports it (SOFTWARE, the
// code page's key and the keys a script names, in one file), the instruments GetHW lists,
// the files a script's DRIVER_PATH names, placed as text/machine_path.h says, and a
// description of the machine.
#include "hostsim/snapshot.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <vector>

#include "host/this_machine.h"
#include "hostsim/description.h"
#include "hostsim/escapes.h"
#include "hostsim/script.h"
#include "hostsim/session.h"
#include "platform/text.h"
#include "text/characters.h"
#include "text/machine_path.h"

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

// The values the script's set steps give the variable, in order, each once.
std::vector<std::string> values_set(const Script& script, const std::string& name) {
    std::vector<std::string> values;
    for (const Step& step : script.steps) {
        const auto equals = step.rest.find('=');
        std::string value;
        if (step.command != "set" || equals == std::string::npos || step.rest.substr(0, equals) != name ||
            !typed(step.rest.substr(equals + 1), value)) {
            continue;
        }
        if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    }
    return values;
}

// Letters folded where they are characters of their own: the second byte of a double-byte
// character of the system's code page (ア is 83 41 in 932) stays as it is.
std::string upper(std::string text) {
    const platform::LeadBytes lead_bytes = platform::ansi_lead_bytes();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lead_bytes.starts_pair(text[i])) {
            ++i;
        } else {
            text[i] = characters::to_upper(text[i]);
        }
    }
    return text;
}

// A key path as the registry reads it: doubled and trailing backslashes count once. ""
// for a path that opens nothing (empty, or starting with a backslash). A backslash
// separates only where it is a character: the 5C of 表 in code page 932 is part of 表.
std::string key_path(const std::string& typed) {
    if (typed.empty() || typed.front() == '\\') return "";
    const platform::LeadBytes lead_bytes = platform::ansi_lead_bytes();
    std::string path;
    std::string name;
    const auto end_name = [&] {
        if (!name.empty()) path += (path.empty() ? "" : "\\") + name;
        name.clear();
    };
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (lead_bytes.starts_pair(typed[i]) && i + 1 < typed.size()) {
            name += typed.substr(i++, 2);
        } else if (typed[i] == '\\') {
            end_name();
        } else {
            name += typed[i];
        }
    }
    end_name();
    return path;
}

// True when key is outer or lies below it (letter case aside).
bool lies_within(const std::string& key, const std::string& outer) {
    const std::string k = upper(key), o = upper(outer);
    return k == o || (k.size() > o.size() && k.compare(0, o.size(), o) == 0 && k[o.size()] == '\\');
}

// SOFTWARE, the code page's key, then each key the script names that neither holds.
std::vector<std::string> keys_to_export(const Script* script) {
    std::vector<std::string> keys{software_key, code_page_key};
    if (script == nullptr) return keys;
    for (const std::string& typed : values_set(*script, "REGISTRY_KEY")) {
        const std::string key = key_path(typed);
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
    std::ofstream out(registry, std::ios::binary | std::ios::app);
    std::array<char, 2> mark{};
    in.read(mark.data(), mark.size());
    const bool utf16 = in.gcount() == 2 && static_cast<unsigned char>(mark[0]) == 0xFF &&
                       static_cast<unsigned char>(mark[1]) == 0xFE;
    if (!utf16) {
        error = "reg.exe wrote " + part.filename().string() + " in another encoding than the SOFTWARE export";
        return false;
    }
    // The header line ends at the first line feed, a whole UTF-16 unit.
    for (std::array<char, 2> unit{}; in.read(unit.data(), unit.size()) && !(unit[0] == '\n' && unit[1] == '\0');) {
    }
    if (in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    out.flush();
    if (!out) error = "cannot append the export of another key to " + registry.string();
    return static_cast<bool>(out);
}

void write_registry(const fs::path& folder, const Script* script, Failures& failures, std::ostream& errors) {
    const fs::path registry = folder / registry_file_name;
    const std::vector<std::string> keys = keys_to_export(script);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const fs::path part = i == 0 ? registry : folder / ("." + std::to_string(i) + ".reg");
        std::string error;
        const host::KeyExport exported = host::export_registry_key(keys[i], part.string(), error);
        if (exported == host::KeyExport::missing) {
            errors << "hostsim: snapshot: HKEY_LOCAL_MACHINE\\" << keys[i] << " is not on this machine; the export holds none either\n";
        } else if (exported == host::KeyExport::failed) {
            failures.add(std::string(registry_file_name) + ": HKEY_LOCAL_MACHINE\\" + keys[i], error);
        } else if (i > 0 && !append_export(part, registry, error)) {
            failures.add(std::string(registry_file_name) + ": HKEY_LOCAL_MACHINE\\" + keys[i], error);
        }
        std::error_code ignored;
        if (i > 0) fs::remove(part, ignored);
        if (i == 0 && exported == host::KeyExport::missing) failures.add(registry_file_name, "this machine has no SOFTWARE key");
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
    if (!file) failures.add(instruments_file_name, "cannot write " + (folder / instruments_file_name).string());
}

// Where the file a script names goes in the machine folder; "" when it has no place there:
// a path from the root of no named drive, on a drive without a root, or climbing out.
std::string place_in_folder(const std::string& path) {
    std::array<char, 4096> mapped{};
    if (!machine_path::to_machine_folder(path.c_str(), mapped.data(), mapped.size())) return "";
    const std::string place = mapped.data();
    if (place.empty() || place.front() == '/' || (place.size() > 1 && place[1] == ':')) return "";
    std::istringstream names(place);
    for (std::string name; std::getline(names, name, '/');) {
        if (name == "..") return "";
    }
    return place;
}

void copy_files(const fs::path& folder, const Script& script, Failures& failures, std::ostream& errors) {
    for (const std::string& path : values_set(script, "DRIVER_PATH")) {
        if (path.empty()) continue;
        const std::string part = "file " + path;
        const std::string place = place_in_folder(path);
        if (place.empty()) {
            failures.add(part, "has no place in a machine folder (name its drive: C:\\dir\\file, a share "
                               "\\\\server\\share\\file, or a path below the current folder)");
            continue;
        }
        std::error_code failed;
        if (!fs::is_regular_file(path, failed)) {
            errors << "hostsim: snapshot: " << path << " is not a file on this machine; the folder holds none either\n";
            continue;
        }
        const fs::path target = folder / fs::path(place);
        fs::create_directories(target.parent_path(), failed);
        if (!failed) fs::copy_file(path, target, fs::copy_options::overwrite_existing, failed);
        if (failed) failures.add(part, "cannot copy it to " + target.string() + ": " + failed.message());
    }
}

void write_description(const fs::path& folder, const host::MachineFacts& machine, const std::string& taken,
                       const std::string& version, Failures& failures) {
    std::ofstream file(folder / description_file_name, std::ios::binary);
    file << description_text(machine, taken, version);
    file.flush();
    if (!file) failures.add(description_file_name, "cannot write " + (folder / description_file_name).string());
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
    const fs::path folder = fs::path(request.folder).lexically_normal();
    const fs::path named = folder.has_filename() ? folder : folder.parent_path();
    std::error_code failed;
    if (named.empty() || fs::exists(named, failed)) {
        errors << "hostsim: snapshot: " << request.folder << " already exists; a snapshot is written to a new folder\n";
        return 1;
    }
    // Named with a leading '.': a fleet passes it over while it is incomplete.
    const fs::path partial = named.parent_path() / ("." + named.filename().string() + ".partial");
    fs::remove_all(partial, failed);
    if (!fs::create_directories(partial, failed)) {
        errors << "hostsim: snapshot: cannot make " << partial.string() << ": " << failed.message() << '\n';
        return 1;
    }
    const host::MachineFacts machine = host::this_machine();
    const std::string taken = utc_now();
    Failures failures;
    write_registry(partial, request.script.empty() ? nullptr : &script, failures, errors);
    write_instruments(partial, failures);
    copy_files(partial, script, failures, errors);
    write_description(partial, machine, taken, request.version, failures);
    if (!failures.any()) {
        fs::rename(partial, named, failed);
        if (failed) failures.add(named.string(), "cannot rename " + partial.string() + " to it: " + failed.message());
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
