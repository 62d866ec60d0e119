// Windows side: the libraries read the real registry and the real VISA, unless the machines
// are exports (a fleet's), which the stand-in builds of the libraries read
// (host/export_machine.h). This file is used for Windows only.
#include "host/registry_source.h"

#include <windows.h>

#include "host/export_machine.h"
#include "host/standin_libraries.h"
#include "host/this_machine.h"

namespace host {
namespace {

bool exports_shown = false;

}  // namespace

bool show_exports(std::string& error) {
    for (const char* library : {"vantrel", "driver", "visa"}) {
        const std::string path = standin_library_path(library);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            error = "the machines of a fleet are read by the stand-in libraries, and " + path +
                    " is missing: hostsim.exe needs the folder standin of its release beside it";
            return false;
        }
    }
    exports_shown = true;
    return true;
}

bool showing_exports() {
    return exports_shown;
}

bool use_registry_file(const std::string& path, std::string& error) {
    if (exports_shown) return export_machine::use_registry_file(path, error);
    error = "--registry is for builds away from Windows; here the real registry is read "
            "(import " + path + " where a 32-bit installer puts its keys with: reg import " + path + " /reg:32)";
    return false;
}

// Kept for the exports a fleet shows; the real registry has no index to keep.
bool use_index_cache(bool enabled, std::string& error) {
    return export_machine::use_index_cache(enabled, error);
}

std::string take_index_cache_note() {
    return export_machine::take_index_cache_note();
}

bool state_machine_kind(const std::string& bits, std::string& error) {
    if (exports_shown) return export_machine::state_machine_kind(bits, error);
    error = "--machine is for a fleet and for builds away from Windows: here the libraries read this machine's registry";
    return false;
}

// The libraries read this machine: its own kind.
std::string shown_machine_kind() {
    return exports_shown ? export_machine::shown_machine_kind() : this_machine().kind;
}

bool state_code_page(const std::string& number, std::string& error) {
    if (exports_shown) return export_machine::state_code_page(number, error);
    error = "--code-page is for a fleet and for builds away from Windows: here the libraries read and hostsim "
            "writes in the system's code page";
    return false;
}

// The system's: the one the libraries read and hostsim writes in.
std::string shown_code_page() {
    return exports_shown ? export_machine::shown_code_page() : std::to_string(GetACP());
}

bool use_stated_code_page(const std::string& path, std::string& error) {
    if (exports_shown) return export_machine::use_stated_code_page(path, error);
    error = "a machine's code page is stated for an export only";
    return false;
}

// hostsim's text is UTF-8 here too: converted to and from the system's code page, or to and
// from the shown export's as the stand-in converts it.
std::string typed_for_machine(const std::string& typed) {
    return export_machine::typed_for_machine(typed);
}

std::string machine_for_terminal(const std::string& text) {
    return export_machine::machine_for_terminal(text);
}

bool use_instruments(const std::vector<std::string>& descriptors, std::string& error) {
    if (exports_shown) return export_machine::use_instruments(descriptors, error);
    error = "the real VISA lists the instruments here";
    return false;
}

}  // namespace host
