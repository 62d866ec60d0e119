// Stand-in side: the libraries read the .reg file named by VANTREL_REGISTRY.
#include "platform/registry_source.h"

#include <cstdlib>
#include <iostream>

#include "regfile/reg_file.h"

namespace platform {

bool use_registry_file(const std::string& path, std::string& error) {
    const regfile::ParseResult parsed = regfile::load(path);
    if (!parsed.ok) {
        error = parsed.error_line > 0 ? path + ":" + std::to_string(parsed.error_line) + ": " + parsed.error
                                      : parsed.error;
        return false;
    }
    // The libraries never print: the lines they will not see are reported here, once.
    for (const regfile::Warning& warning : parsed.warnings) {
        std::cerr << "warning: " << path << ":" << warning.line << ": " << warning.message
                  << "; line skipped\n";
    }
    setenv("VANTREL_REGISTRY", path.c_str(), 1);
    return true;
}

}  // namespace platform
