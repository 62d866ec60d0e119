// Stand-in side: the libraries read the .reg file named by VANTREL_REGISTRY, and the VISA
// stand-in lists the descriptors in VISA_STANDIN_RESOURCES.
#include "host/registry_source.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "host/program_location.h"
#include "platform/loader.h"
#include "standin_registry/registry_cache.h"
#include "standin_registry/wow64_redirection.h"

namespace host {
namespace {

// The VISA library of the machine shown last, kept loaded while it is shown: the libraries
// then find it by its name alone even after the current folder has moved to the machine's
// folder, where a relative folder on the loader's path no longer leads to it.
platform::LibraryHandle shown_visa = nullptr;

std::string shown_kind = "32-bit";

}  // namespace

bool use_registry_file(const std::string& path, std::string& error) {
    // Absolute, so that the file is still found after the current folder changes.
    const std::string absolute = std::filesystem::absolute(path).string();
    // Every line is read here, once, to name those the libraries will not see; the
    // libraries are then served the same index and read only the values they ask for.
    const standin_registry::Snapshot parsed = standin_registry::checked_registry_snapshot(absolute);
    if (!parsed->ok()) {
        error = parsed->error_line() > 0 ? path + ":" + std::to_string(parsed->error_line()) + ": " + parsed->error()
                                         : "cannot read " + path;
        return false;
    }
    // The libraries never print: the lines they will not see are reported here, once.
    for (const regfile::Warning& warning : parsed->warnings()) {
        std::cerr << "warning: " << path << ":" << warning.line << ": " << warning.message
                  << "; line skipped\n";
    }
    setenv("VANTREL_REGISTRY", absolute.c_str(), 1);
    shown_kind = (standin_registry::stated_sixty_four_bit_machine() || standin_registry::holds_wow64_node(*parsed)) ? "64-bit" : "32-bit";
    return true;
}

// The stand-in registry reads the same variable (platform/standin/registry.cpp).
bool state_machine_kind(const std::string& bits, std::string& error) {
    if (bits != "32" && bits != "64") {
        error = "the kind of machine is 32 or 64, not '" + bits + "'";
        return false;
    }
    setenv("VANTREL_REGISTRY_MACHINE", bits.c_str(), 1);
    return true;
}

std::string shown_machine_kind() {
    return shown_kind;
}

bool use_instruments(const std::vector<std::string>& descriptors, std::string& error) {
    std::string list;
    for (const std::string& descriptor : descriptors) {
        if (descriptor.find('|') != std::string::npos) {
            error = "'|' cannot be part of a descriptor: " + descriptor;
            return false;
        }
        list += (list.empty() ? "" : "|") + descriptor;
    }
    platform::free_library(shown_visa);
    shown_visa = descriptors.empty() ? nullptr : platform::load_visa_library();
    if (!descriptors.empty() && shown_visa == nullptr) {
        error = "no VISA library to list the instruments: put the VISA stand-in's folder (" +
                executable_directory() + "visa/full) on LD_LIBRARY_PATH";
        return false;
    }
    setenv("VISA_STANDIN_RESOURCES", list.c_str(), 1);
    unsetenv("VISA_STANDIN_GENERATED");  // it would replace the machine's list
    return true;
}

}  // namespace host
