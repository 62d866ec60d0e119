// Windows side: the libraries read the real registry and the real VISA. This file is used
// for Windows only.
#include "host/registry_source.h"

#include <windows.h>

#include "host/this_machine.h"

namespace host {

bool use_registry_file(const std::string& path, std::string& error) {
    error = "--registry is for builds away from Windows; here the real registry is read "
            "(import " + path + " where a 32-bit installer puts its keys with: reg import " + path + " /reg:32)";
    return false;
}

bool state_machine_kind(const std::string&, std::string& error) {
    error = "--machine is for builds away from Windows: here the libraries read this machine's registry";
    return false;
}

// The libraries read this machine: its own kind.
std::string shown_machine_kind() {
    return this_machine().kind;
}

bool state_code_page(const std::string&, std::string& error) {
    error = "--code-page is for builds away from Windows: here the libraries read and hostsim writes in the "
            "system's code page";
    return false;
}

// The system's: the one the libraries read and hostsim writes in.
std::string shown_code_page() {
    return std::to_string(GetACP());
}

bool use_stated_code_page(const std::string&, std::string& error) {
    error = "a machine's code page is stated away from Windows only";
    return false;
}

bool use_instruments(const std::vector<std::string>&, std::string& error) {
    error = "the real VISA lists the instruments here";
    return false;
}

}  // namespace host
