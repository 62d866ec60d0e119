// Stand-in side: the machine shown to the libraries is an export, not this one, so no
// snapshot is taken here; the facts are those of the computer the simulator runs on.
#include "host/this_machine.h"

#include <unistd.h>

#include <array>

namespace host {

MachineFacts this_machine() {
    MachineFacts facts;
    facts.kind = sizeof(void*) == 8 ? "64-bit" : "32-bit";
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) == 0) facts.computer = name.data();
    return facts;
}

bool can_take_snapshots(std::string& error) {
    error = "--snapshot is for Windows: it records the machine the libraries read there, and "
            "here they read an export (take it with the Windows build, hostsim.exe)";
    return false;
}

KeyExport export_registry_key(const std::string&, const std::string&, std::string& error) {
    error = "the registry here is an export; reg.exe is Windows'";
    return KeyExport::failed;
}

}  // namespace host
