// What the libraries see of the machine when the host simulator stands in for one: the
// registry from a .reg file and, for a fleet of machines, the instruments VISA lists.
#pragma once

#include <string>
#include <vector>

namespace host {

// Makes the machines shown from now on registry exports, read by the stand-in builds of the
// libraries (host/standin_libraries.h), as a fleet's machines are: natively every machine
// is one; on Windows, where the libraries otherwise read this computer, from this call on.
// False, with the reason in error, when the stand-in libraries are not where they belong.
bool show_exports(std::string& error);

// Whether the machines shown are exports: the functions below then stand in for a machine,
// and a library named by its bare name is its stand-in build.
bool showing_exports();

// Makes the libraries loaded afterwards by this process see the registry described by
// the .reg file at path. False, with a one-line reason in error, when the file cannot be
// read or parsed, or when this platform reads its real registry instead. Lines of the
// file that cannot be read are skipped, each named on stderr with its line number.
bool use_registry_file(const std::string& path, std::string& error);

// Keeps the index of each registry file shown in the user's cache folder, so that a file
// shown again unchanged, in this run or a later one, is not read again; with enabled false,
// every file is read afresh. The cache is kept under the size VANTREL_CACHE_SIZE states
// ("500M", "4G"; 4G when unset). False, with the reason in error, for a size that cannot be
// read. Where the registry is this machine's own, there is nothing to keep.
bool use_index_cache(bool enabled, std::string& error);

// What the index cache could not do (a folder that cannot be written), in one line for the
// user, or "": it costs time, never an answer.
std::string take_index_cache_note();

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

// The ANSI code page of a machine that does not state its own (default 1252): a machine's
// export states it in HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Nls\CodePage,
// value ACP, as Windows records it, and a fleet machine's folder may state it in a file
// code-page. False, with the reason in error, for a code page that cannot be converted, or
// where the libraries read this machine's own registry (and its code page is the system's).
bool state_code_page(const std::string& number, std::string& error);

// The code page of the machine shown last, as the libraries see it; on Windows the system's.
std::string shown_code_page();

// Makes the code page that the machine's folder states (a file holding its number) the one
// shown from the next registry file on, unless that export states its own. False, with the
// reason in error, when the file holds no code page that can be converted.
bool use_stated_code_page(const std::string& path, std::string& error);

// Text typed in a script or on the command line (UTF-8) as the machine's code page holds it,
// and text of the machine as hostsim shows it (UTF-8), on every system: converted with the
// shown machine's code page (code_page::machine_code_page(): on Windows the system's, unless
// a fleet shows an export of another).
std::string typed_for_machine(const std::string& typed);
std::string machine_for_terminal(const std::string& text);

// Makes the VISA library that the libraries load afterwards list these instrument
// descriptors (none: VISA lists nothing). False, with a reason in error, when a descriptor
// cannot be passed on or no VISA library that takes such a list can be loaded.
bool use_instruments(const std::vector<std::string>& descriptors, std::string& error);

}  // namespace host
