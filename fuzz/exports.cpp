// Loading the libraries under fuzzing.
#include "fuzz/exports.h"

#include <map>
#include <memory>

namespace fuzzing {

const char* const vantrel_exports[] = {"GetQuendrix", "GetWexo",    "_GetZelk@4", "GreaterEqual", "GetRegKey",
                                       "GetRegKeys",  "MapRegKeys", "GetDriverVer", nullptr};
const char* const driver_exports[] = {"GetHW", nullptr};

host::ExportFunction find_export(const std::string& library, const std::string& name) {
    static std::map<std::string, std::unique_ptr<host::Library>> loaded;
    auto& entry = loaded[library];
    if (!entry) entry = std::make_unique<host::Library>(host::resolve_library_path(library));
    return entry->find_export(name);
}

}  // namespace fuzzing
