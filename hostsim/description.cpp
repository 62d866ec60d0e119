// Writing and reading a machine folder's description.
#include "hostsim/description.h"

#include <ctime>
#include <fstream>
#include <iomanip>
#include <sstream>

namespace hostsim {
namespace {

constexpr char windows_name[] = "windows";

std::string trimmed(const std::string& text) {
    const auto start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> description_entries(const host::MachineFacts& machine,
                                                                     const std::string& taken,
                                                                     const std::string& version) {
    return {{windows_name, machine.kind},
            {"code-page", std::to_string(machine.code_page)},
            {"windows-version", machine.windows_version},
            {"computer", machine.computer},
            {"taken", taken},
            {"hostsim", version}};
}

std::string description_text(const host::MachineFacts& machine, const std::string& taken, const std::string& version) {
    std::string text = "# A machine as hostsim --snapshot found it. hostsim --fleet reads the kind of Windows\n"
                       "# from here; the code page is the one the registry export holds too.\n";
    for (const auto& [name, value] : description_entries(machine, taken, version)) text += name + "=" + value + "\n";
    return text;
}

std::string utc_now() {
    const std::tm utc = host::utc_calendar_time(std::time(nullptr));
    std::ostringstream text;
    text << std::put_time(&utc, "%Y-%m-%dT%H:%M:%SZ");
    return text.str();
}

bool read_description(const std::string& path, Description& description, std::string& error) {
    description = Description{};
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        const std::string at = path + ":" + std::to_string(number) + ": ";
        if (equals == std::string::npos || equals == 0) {
            error = at + "not NAME=VALUE";
            return false;
        }
        const std::string name = trimmed(line.substr(0, equals));
        description.entries.emplace_back(name, trimmed(line.substr(equals + 1)));
        if (name != windows_name) continue;
        description.windows = description.entries.back().second;
        if (description.windows != "64-bit" && description.windows != "32-bit") {
            error = at + "windows is 64-bit or 32-bit, not '" + description.windows + "'";
            return false;
        }
    }
    return true;
}

}  // namespace hostsim
