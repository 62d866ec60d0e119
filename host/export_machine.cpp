// A machine shown to the stand-in builds of the libraries: they read the .reg file named by
// VANTREL_REGISTRY in the code page VANTREL_CODE_PAGE names, and the VISA stand-in lists the
// descriptors in VISA_STANDIN_RESOURCES. The host reads the export too, once, to name the
// lines the libraries will not see, and to tell the machine's kind and code page.
#include "host/export_machine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "host/standin_libraries.h"
#include "platform/loader.h"
#include "standin_registry/files.h"
#include "standin_registry/index_cache.h"
#include "standin_registry/registry_cache.h"
#include "standin_registry/wow64_redirection.h"
#include "text/code_page.h"

namespace host::export_machine {
namespace {

// The VISA library of the machine shown last, kept loaded while it is shown: the libraries
// then find it by its name alone even after the current folder has moved to the machine's
// folder, where a relative folder on the loader's path no longer leads to it.
platform::LibraryHandle shown_visa = nullptr;

std::string shown_kind = "32-bit";

// The code page of machines that state none, and the one the current machine's folder states.
unsigned default_code_page = code_page::western;
unsigned stated_code_page = 0;

// "932" as a code page the converter knows, or 0.
unsigned read_code_page(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    const unsigned number = static_cast<unsigned>(std::stoul(text));
    return number > 0 && code_page::known(number) ? number : 0;
}

// The ACP value of HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Nls\CodePage, as Windows
// records it (a string of digits); "" when the export does not hold it.
std::string recorded_code_page(const regfile::Export& registry) {
    const regfile::ExportKey* key = &registry.machine();
    for (const char* name : {"SYSTEM", "CurrentControlSet", "Control", "Nls", "CodePage"}) {
        key = registry.find_subkey(*key, name);
        if (key == nullptr) return "";
    }
    const regfile::Value* value = registry.find_value(*key, "ACP");
    if (value == nullptr) return "";
    const std::string text(value->data.begin(), value->data.end());
    return text.substr(0, text.find('\0'));
}

void show_code_page(unsigned number) {
    set_standin_variable("VANTREL_CODE_PAGE", std::to_string(number).c_str());
}

}  // namespace

bool use_registry_file(const std::string& path, std::string& error) {
    // Absolute, so that the file is still found after the current folder changes.
    const std::string absolute = std::filesystem::absolute(path).string();
    // The machine's code page first: an ANSI export is read in it. The export's own record
    // wins over what the machine's folder states, and that over the default. Every line is
    // read here, once, to name those the libraries will not see; the libraries are then
    // served the same index and read only the values they ask for.
    show_code_page(stated_code_page != 0 ? stated_code_page : default_code_page);
    standin_registry::Snapshot parsed = standin_registry::checked_registry_snapshot(absolute);
    const std::string recorded = parsed->ok() ? recorded_code_page(*parsed) : "";
    if (!recorded.empty()) {
        const unsigned number = read_code_page(recorded);
        if (number == 0) {
            error = path + ": the code page it records (ACP \"" + recorded + "\") cannot be converted here";
            return false;
        }
        show_code_page(number);
        // The same index, unless the export is ANSI text, whose names read otherwise.
        if (number != parsed->code_page()) parsed = standin_registry::checked_registry_snapshot(absolute);
    }
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
    set_standin_variable("VANTREL_REGISTRY", absolute.c_str());
    shown_kind = (standin_registry::stated_sixty_four_bit_machine() || standin_registry::holds_wow64_node(*parsed)) ? "64-bit" : "32-bit";
    return true;
}

bool use_index_cache(bool enabled, std::string& error) {
    std::uint64_t size = standin_registry::default_cache_size;
    const char* stated = std::getenv("VANTREL_CACHE_SIZE");
    if (stated != nullptr && *stated != '\0' && !standin_registry::read_cache_size(stated, size)) {
        error = std::string("VANTREL_CACHE_SIZE is a size such as 500M or 4G, not '") + stated + "'";
        return false;
    }
    const std::string folder = enabled ? standin_registry::files::user_cache_folder() : "";
    standin_registry::use_index_cache(folder, size);
    // Where the libraries hold a stand-in registry of their own (on Windows), they read the
    // indexes kept there too.
    set_standin_variable("VANTREL_INDEX_CACHE", folder.empty() ? nullptr : folder.c_str());
    return true;
}

std::string take_index_cache_note() {
    return standin_registry::take_index_cache_note();
}

// The stand-in registry reads the same variable (platform/standin/registry.cpp).
bool state_machine_kind(const std::string& bits, std::string& error) {
    if (bits != "32" && bits != "64") {
        error = "the kind of machine is 32 or 64, not '" + bits + "'";
        return false;
    }
    set_standin_variable("VANTREL_REGISTRY_MACHINE", bits.c_str());
    return true;
}

std::string shown_machine_kind() {
    return shown_kind;
}

bool state_code_page(const std::string& number, std::string& error) {
    default_code_page = read_code_page(number);
    if (default_code_page == 0) {
        error = "the code page is that of a Windows machine (874, 932, 936, 949, 950, 1250 to 1258, or 65001 for "
                "UTF-8), not '" + number + "'";
        return false;
    }
    show_code_page(default_code_page);
    return true;
}

std::string shown_code_page() {
    return std::to_string(code_page::machine_code_page());
}

bool use_stated_code_page(const std::string& path, std::string& error) {
    stated_code_page = 0;
    if (path.empty()) return true;
    std::ifstream file(path);
    std::string number;
    file >> number;
    stated_code_page = read_code_page(number);
    if (stated_code_page == 0) {
        error = path + " states no code page that can be converted (a number such as 932)";
        return false;
    }
    return true;
}

std::string typed_for_machine(const std::string& typed) {
    std::string text;
    code_page::from_utf8(typed, code_page::machine_code_page(), text);
    return text;
}

std::string machine_for_terminal(const std::string& text) {
    std::string typed;
    code_page::to_utf8(text, code_page::machine_code_page(), typed);
    return typed;
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
    shown_visa = descriptors.empty() ? nullptr : load_visa_standin();
    if (!descriptors.empty() && shown_visa == nullptr) {
        error = "no VISA library to list the instruments: " + visa_standin_advice();
        return false;
    }
    set_standin_variable("VISA_STANDIN_RESOURCES", list.c_str());
    set_standin_variable("VISA_STANDIN_GENERATED", nullptr);  // it would replace the machine's list
    return true;
}

}  // namespace host::export_machine
