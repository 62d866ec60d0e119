// The exports' inputs, as docs/reference.md lists them: the libraries read the host's
// variable table themselves, so the host cannot watch which variables they read.
#include "hostsim/export_inputs.h"

#include <map>

namespace hostsim {
namespace {

// "_GetZelk@4" -> "GetZelk"; any other name as it is.
std::string undecorated(const std::string& name) {
    const auto at = name.rfind('@');
    if (name.size() < 2 || name[0] != '_' || at == std::string::npos) return name;
    return name.substr(1, at - 1);
}

}  // namespace

const std::vector<std::string>& variables_read_by(const std::string& export_name) {
    static const std::vector<std::string> none;
    static const std::map<std::string, std::vector<std::string>> inputs{
        {"GetQuendrix", {"REGISTRY_VIEW"}},
        {"GetWexo", {"REGISTRY_VIEW"}},
        {"GetZelk", {"REGISTRY_VIEW"}},
        {"GreaterEqual", {"STRING_1", "STRING_2"}},
        {"GetDriverVer", {"DRIVER_PATH"}},
        {"GetRegKey", {"REGISTRY_KEY", "REGISTRY_ITER", "REGISTRY_VIEW"}},
        {"GetRegKeys", {"REGISTRY_KEY", "REGISTRY_MIN", "REGISTRY_CRT", "REGISTRY_VIEW"}},
        {"MapRegKeys", {"REGISTRY_KEYS", "REGISTRY_SEL"}},
        {"GetHW", {}},
    };
    const auto found = inputs.find(undecorated(export_name));
    return found == inputs.end() ? none : found->second;
}

}  // namespace hostsim
