// What the libraries see of the machine when the host simulator stands in for one: the
// registry from a .reg file and, for a fleet of machines, the instruments VISA lists.
#pragma once

#include <string>
#include <vector>

namespace host {

// Makes the libraries loaded afterwards by this process see the registry described by
// the .reg file at path. False, with a one-line reason in error, when the file cannot be
// read or parsed, or when this platform reads its real registry instead. Lines of the
// file that cannot be read are skipped, each named on stderr with its line number.
bool use_registry_file(const std::string& path, std::string& error);

// An export holding HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node comes from 64-bit Windows, where
// the libraries, being 32-bit, read the 32-bit view unless a script asks for the other; any
// other export from 32-bit Windows, with one view. A partial export (one vendor's key)
// cannot tell: stating "64" makes such exports count as 64-bit Windows' too, "32" leaves
// them as they are. False, with the reason in error, for any other kind, or where the
// libraries read this machine's own registry.
bool state_machine_kind(const std::string& bits, std::string& error);

// "64-bit" or "32-bit": the Windows the registry file shown last comes from, as the
// libraries read it; on Windows, this machine's kind.
std::string shown_machine_kind();

// Makes the VISA library that the libraries load afterwards list these instrument
// descriptors (none: VISA lists nothing). False, with a reason in error, when a descriptor
// cannot be passed on or no VISA library that takes such a list can be loaded.
bool use_instruments(const std::vector<std::string>& descriptors, std::string& error);

}  // namespace host
