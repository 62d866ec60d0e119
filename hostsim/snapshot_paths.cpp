// Key paths and file places of a snapshot, in UTF-8, where every backslash is a character
// of its own.
#include "hostsim/snapshot_paths.h"

#include <array>
#include <sstream>

#include "text/characters.h"
#include "text/machine_path.h"

namespace hostsim {
namespace {

std::string upper(std::string text) {
    for (char& c : text) c = characters::to_upper(c);
    return text;
}

}  // namespace

std::string key_path(const std::string& typed) {
    if (typed.empty() || typed.front() == '\\') return "";
    std::string path;
    std::istringstream names(typed);
    for (std::string name; std::getline(names, name, '\\');) {
        if (!name.empty()) path += (path.empty() ? "" : "\\") + name;
    }
    return path;
}

bool lies_within(const std::string& key, const std::string& outer) {
    const std::string k = upper(key), o = upper(outer);
    return k == o || (k.size() > o.size() && k.compare(0, o.size(), o) == 0 && k[o.size()] == '\\');
}

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

}  // namespace hostsim
