// The machine the host simulator runs on, as a snapshot records it: what kind of Windows it
// is, and its registry as Windows' own exporter writes it. Names of keys and files are UTF-8.
#pragma once

#include <ctime>
#include <string>

namespace host {

struct MachineFacts {
    std::string kind;             // "64-bit" or "32-bit" Windows
    unsigned code_page = 0;       // the ANSI code page
    std::string windows_version;  // "10.0.19045", with the service pack when there is one
    std::string computer;         // the computer's name, UTF-8
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

// The calendar time of a moment in UTC, as gmtime gives it (each system spells that its own
// way, and the C library's gmtime is not safe on threads).
std::tm utc_calendar_time(std::time_t moment);

// A file this process holds alone for as long as the object lives (a snapshot's claim on the
// folder it writes): no other process can take it meanwhile, on this computer or, on a
// share, on another. It is removed when released; one left by a process that ended without
// releasing it (killed, or the computer switched off) is taken over.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // Takes the file at path, making it where it is missing. False, with the reason in error,
    // when another live process holds it (held_elsewhere is then set) or it cannot be made.
    bool take(const std::string& path, bool& held_elsewhere, std::string& error);

private:
    void* handle_ = nullptr;
    std::string path_;  // where the stand-in removes it
};

}  // namespace host
