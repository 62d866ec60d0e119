// Stand-in side: the machine shown to the libraries is an export, not this one, so no
// snapshot is taken here; the facts are those of the computer the simulator runs on.
#include "host/this_machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

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

std::tm utc_calendar_time(std::time_t moment) {
    std::tm utc{};
    gmtime_r(&moment, &utc);
    return utc;
}

// An advisory lock (flock), which the system drops with the process; the descriptor plus one
// is the handle, so that nullptr stays "none".
ExclusiveFile::~ExclusiveFile() {
    if (handle_ == nullptr) return;
    unlink(path_.c_str());
    close(static_cast<int>(reinterpret_cast<std::intptr_t>(handle_) - 1));
}

bool ExclusiveFile::take(const std::string& path, bool& held_elsewhere, std::string& error) {
    held_elsewhere = false;
    for (;;) {
        const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            error = "cannot make " + path + ": " + std::strerror(errno);
            return false;
        }
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            held_elsewhere = errno == EWOULDBLOCK;
            error = held_elsewhere ? "another process holds " + path : "cannot lock " + path + ": " + std::strerror(errno);
            close(descriptor);
            return false;
        }
        // Locked, but perhaps after its holder removed it: then the file at path is another.
        struct stat locked {}, named {};
        if (fstat(descriptor, &locked) == 0 && stat(path.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev) {
            handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor) + 1);
            path_ = path;
            return true;
        }
        close(descriptor);
    }
}

}  // namespace host
