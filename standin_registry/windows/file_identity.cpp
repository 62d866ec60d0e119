// Windows side of a registry file's identity: its volume and file index, size, and the
// times of its last write and last change (in 100-nanosecond steps since 1601). This file
// is used for Windows only.
#include "standin_registry/file_identity.h"

#include <windows.h>

namespace standin_registry {
namespace {

constexpr std::int64_t steps_per_second = 10'000'000;
constexpr std::int64_t settle_steps = 2 * steps_per_second;

std::int64_t steps(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::int64_t steps(const LARGE_INTEGER& time) {
    return time.QuadPart;
}

}  // namespace

bool identify(const char* path, FileIdentity& identity) {
    const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    FILE_BASIC_INFO times{};
    const bool found = GetFileInformationByHandle(file, &information) != FALSE &&
                       GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times) != FALSE;
    CloseHandle(file);
    if (!found) return false;
    const std::int64_t written = steps(times.LastWriteTime);
    const std::int64_t changed = steps(times.ChangeTime);
    identity = {information.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
                (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow,
                written / steps_per_second,
                static_cast<std::uint32_t>(written % steps_per_second),
                changed / steps_per_second,
                static_cast<std::uint32_t>(changed % steps_per_second)};
    return true;
}

bool settled(const FileIdentity& identity) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return identity.modified_seconds * steps_per_second + identity.modified_fraction + settle_steps < steps(now);
}

}  // namespace standin_registry
