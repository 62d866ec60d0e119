// The stand-in builds of the project's libraries, which read a machine from its export
// instead of the computer they run on, as the host simulator reaches them: where they lie,
// the VISA stand-in through which they list a machine's instruments, and the variables
// through which they are shown a machine.
#pragma once

#include <string>

#include "platform/loader.h"

namespace host {

// The stand-in build of the library base_name ("vantrel"): natively the project's library
// beside hostsim; on Windows standin\vantrel_standin.dll beside hostsim.exe, which no one
// can take for the deliverable vantrel.dll.
std::string standin_library_path(const std::string& base_name);

// Loads the VISA stand-in that the stand-in libraries load; nullptr when it is not there.
platform::LibraryHandle load_visa_standin();

// How to make the VISA stand-in found, for the error that says it was not.
std::string visa_standin_advice();

// Sets a variable of this process's environment, where the stand-in libraries read it;
// nullptr removes it.
void set_standin_variable(const char* name, const char* value);

}  // namespace host
