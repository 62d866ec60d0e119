// POSIX side of a registry file's identity: its device and inode, size, and the times of
// its last modification and status change.
#include "standin_registry/file_identity.h"

#include <sys/stat.h>

#include <ctime>

namespace standin_registry {
namespace {

constexpr std::time_t settle_seconds = 2;

}  // namespace

bool identify(const char* path, FileIdentity& identity) {
    struct stat status {};
    if (stat(path, &status) != 0) return false;
    identity = {static_cast<std::uint64_t>(status.st_dev),         static_cast<std::uint64_t>(status.st_ino),
                static_cast<std::uint64_t>(status.st_size),        status.st_mtim.tv_sec,
                static_cast<std::uint32_t>(status.st_mtim.tv_nsec), status.st_ctim.tv_sec,
                static_cast<std::uint32_t>(status.st_ctim.tv_nsec)};
    return true;
}

bool settled(const FileIdentity& identity) {
    return identity.modified_seconds + settle_seconds < std::time(nullptr);
}

}  // namespace standin_registry
