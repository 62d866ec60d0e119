// The machine the host simulator runs on, as a snapshot records it: what kind of Windows it
// is, and its registry as Windows' own exporter writes it.
#pragma once

#include <string>

namespace host {

struct MachineFacts {
    std::string kind;             // "64-bit" or "32-bit" Windows
    unsigned code_page = 0;       // the ANSI code page
    std::string windows_version;  // "10.0.19045", with the service pack when there is one
    std::string computer;         // the computer's name
};

MachineFacts this_machine();

// False, with the reason in error, where the registry and VISA the libraries see are not
// this machine's own (builds away from Windows): there is no machine to take a snapshot of.
bool can_take_snapshots(std::string& error);

enum class KeyExport { written, missing, failed };

// Writes HKEY_LOCAL_MACHINE\key with its subkeys to file as this machine's reg.exe exports
// it: the 64-bit view on 64-bit Windows (which holds WOW6432Node), the one view otherwise.
// missing when the key is not there; failed, with the reason in error, when it is and the
// export did not write the file.
KeyExport export_registry_key(const std::string& key, const std::string& file, std::string& error);

}  // namespace host
