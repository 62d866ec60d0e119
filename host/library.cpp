// Loading a library and finding its exports, as a host does.
#include "host/library.h"

#include "host/program_location.h"
#include "host/registry_source.h"
#include "host/standin_libraries.h"

namespace host {
namespace {

// "_Name@4" -> "Name"; any other name is returned unchanged.
std::string undecorated(const std::string& name) {
    const auto at = name.rfind('@');
    if (name.size() < 3 || name[0] != '_' || at == std::string::npos || at < 2) return name;
    return name.substr(1, at - 1);
}

}  // namespace

std::string resolve_library_path(const std::string& name_or_path) {
    if (name_or_path.find_first_of("/\\.") != std::string::npos) return name_or_path;
    // A machine that is an export is read by the stand-in builds alone.
    if (showing_exports()) return standin_library_path(name_or_path);
    return executable_directory() + library_file_name(name_or_path);
}

Library::Library(const std::string& path) : handle_(platform::load_library(path.c_str())) {}

Library::~Library() {
    platform::free_library(handle_);
}

ExportFunction Library::find_export(const std::string& name) const {
    void* symbol = platform::find_symbol(handle_, name.c_str());
    if (symbol == nullptr) symbol = platform::find_symbol(handle_, undecorated(name).c_str());
    return reinterpret_cast<ExportFunction>(symbol);
}

}  // namespace host
