// Whether a registry file is still the one indexed: its identity, size and times of change
// (standin_registry/posix/ or windows/), so that a file is indexed again only when it has
// changed. A file modified within the last two seconds is not trusted to show its next
// change that way, since file times advance in coarse steps.
#pragma once

#include <cstdint>

namespace standin_registry {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified_seconds = 0;
    std::uint32_t modified_fraction = 0;  // of the second, in the system's own steps
    std::int64_t changed_seconds = 0;
    std::uint32_t changed_fraction = 0;

    bool operator==(const FileIdentity& other) const {
        return device == other.device && file == other.file && size == other.size &&
               modified_seconds == other.modified_seconds && modified_fraction == other.modified_fraction &&
               changed_seconds == other.changed_seconds && changed_fraction == other.changed_fraction;
    }
};

// False when the file cannot be found.
bool identify(const char* path, FileIdentity& identity);

// Whether the file has been left alone long enough for its times to show its next change.
bool settled(const FileIdentity& identity);

}  // namespace standin_registry
