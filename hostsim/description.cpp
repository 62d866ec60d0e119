// Writing and reading a machine folder's description.
#include "hostsim/description.h"

#include <fstream>

namespace hostsim {
namespace {

constexpr char windows_name[] = "windows";

std::string trimmed(const std::string& text) {
    const auto start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

}  // namespace

std::string description_text(const host::MachineFacts& machine, const std::string& taken, const std::string& version) {
    return "# A machine as hostsim --snapshot found it. hostsim --fleet reads the kind of Windows\n"
           "# from here; the code page is the one the registry export holds too.\n"
           "windows=" + machine.kind + "\n"
           "code-page=" + std::to_string(machine.code_page) + "\n"
           "windows-version=" + machine.windows_version + "\n"
           "computer=" + machine.computer + "\n"
           "taken=" + taken + "\n"
           "hostsim=" + version + "\n";
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
        if (trimmed(line.substr(0, equals)) != windows_name) continue;
        description.windows = trimmed(line.substr(equals + 1));
        if (description.windows != "64-bit" && description.windows != "32-bit") {
            error = at + "windows is 64-bit or 32-bit, not '" + description.windows + "'";
            return false;
        }
    }
    return true;
}

}  // namespace hostsim
