// Variable assignments and export calls of the host simulator.
#include "hostsim/session.h"

#include <filesystem>

#include "hostsim/escapes.h"

namespace hostsim {

bool Session::assign(const std::string& assignment, std::string& error) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = "'" + assignment + "' is not NAME=VALUE";
        return false;
    }
    std::string value;
    if (!typed(assignment.substr(equals + 1), value)) {
        error = "bad escape in '" + assignment + "' (use \\r, \\n, \\t, \\\\ or \\xNN)";
        return false;
    }
    if (!table_.set(assignment.substr(0, equals), value)) {
        error = "cannot set " + assignment.substr(0, equals) + ": the table is full or the name is too wide";
        return false;
    }
    return true;
}

bool Session::call(const std::string& library, const std::string& export_name,
                   const std::string& result_name, std::int32_t& returned, std::string& error) {
    std::string path = host::resolve_library_path(library);
    const std::filesystem::path typed(path);
    if (!library_folder_.empty() && typed.has_parent_path() && typed.is_relative()) {
        path = (std::filesystem::path(library_folder_) / typed).string();
    }
    auto& loaded = libraries_[path];
    if (!loaded) loaded = std::make_unique<host::Library>(path);
    if (!loaded->loaded()) {
        libraries_.erase(path);
        error = "cannot load library " + path;
        return false;
    }
    const host::ExportFunction function = loaded->find_export(export_name);
    if (function == nullptr) {
        error = path + " has no export " + export_name;
        return false;
    }
    returned = function(&table_.record(result_name));
    if (!table_.guards_intact()) {
        error = export_name + " wrote outside the host's variable slots";
        return false;
    }
    return true;
}

}  // namespace hostsim
