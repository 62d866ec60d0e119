// Windows side of the stand-in registry's file calls: handles read at an offset, a file's
// identity from GetFileInformationByHandle (its volume serial number and file index), a new
// file put in place with MoveFileEx. Paths are in the system's code page, as the rest of
// hostsim.exe takes them.
#include "standin_registry/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace standin_registry::files {
namespace {

// 1601-01-01 to 1970-01-01, in the 100-nanosecond steps of a FILETIME.
constexpr std::int64_t epoch_difference = 116444736000000000;

std::int64_t nanoseconds(std::uint64_t steps) {
    return (static_cast<std::int64_t>(steps) - epoch_difference) * 100;
}

std::int64_t nanoseconds(const FILETIME& time) {
    return nanoseconds(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

std::string last_error() {
    const DWORD code = GetLastError();
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.')) --length;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(code);
}

class HandleFile : public OpenedFile {
public:
    explicit HandleFile(HANDLE handle) : handle_(handle) {}
    ~HandleFile() override { CloseHandle(handle_); }
    HandleFile(const HandleFile&) = delete;
    HandleFile& operator=(const HandleFile&) = delete;

    std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const override {
        std::size_t total = 0;
        while (total < size) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + total);
            at.OffsetHigh = static_cast<DWORD>((offset + total) >> 32);
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            DWORD count = 0;
            if (!ReadFile(handle_, buffer + total, wanted, &count, &at) || count == 0) break;
            total += count;
        }
        return total;
    }
    bool identify(FileIdentity& identity) const override {
        BY_HANDLE_FILE_INFORMATION information{};
        if (!GetFileInformationByHandle(handle_, &information)) return false;
        identity.volume = information.dwVolumeSerialNumber;
        identity.number = static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
        identity.size = static_cast<std::uint64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
        identity.modified = nanoseconds(information.ftLastWriteTime);
        // The change time moves with renames too; where the file system keeps none, the
        // time of the last write stands in.
        FILE_BASIC_INFO basic{};
        identity.changed = GetFileInformationByHandleEx(handle_, FileBasicInfo, &basic, sizeof basic)
                               ? nanoseconds(static_cast<std::uint64_t>(basic.ChangeTime.QuadPart))
                               : identity.modified;
        return true;
    }

private:
    HANDLE handle_;
};

class HandleWriter : public FileWriter {
public:
    explicit HandleWriter(HANDLE handle) : handle_(handle) {}
    bool write(std::string_view bytes) override {
        for (std::size_t done = 0; done < bytes.size();) {
            DWORD count = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            if (!WriteFile(handle_, bytes.data() + done, wanted, &count, nullptr) || count == 0) {
                failed_ = true;
                return false;
            }
            done += count;
        }
        return true;
    }
    bool failed() const { return failed_; }

private:
    HANDLE handle_;
    bool failed_ = false;
};

}  // namespace

std::int64_t now() {
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    return nanoseconds(time);
}

std::shared_ptr<const OpenedFile> open_file(const std::string& path) {
    // Shared for deleting too, so that a file being read may still be replaced.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto file = std::make_shared<const HandleFile>(handle);
    if (GetFileType(handle) != FILE_TYPE_DISK) return nullptr;
    return file;
}

std::string user_cache_folder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return "";
    return std::string(folder, length) + "\\vantrel";
}

bool make_folder(const std::string& path, std::string& error) {
    // Each folder on the way, from after the drive or share on; those there already stay.
    for (std::size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        error = path + ": " + last_error();
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = path + ": not a folder";
        return false;
    }
    return true;
}

bool replace_file(const std::string& path, const std::function<bool(FileWriter&)>& fill, std::string& error) {
    static std::atomic<unsigned> written{0};
    const std::size_t slash = path.find_last_of("\\/");
    const std::string part = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + "." +
                             std::to_string(GetCurrentProcessId()) + "." + std::to_string(written++) + ".part";
    const HANDLE handle = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = last_error();
        return false;
    }
    HandleWriter writer(handle);
    bool whole = fill(writer);
    if (!whole) error = writer.failed() ? last_error() : "not written";
    CloseHandle(handle);
    if (whole && !MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = last_error();
        whole = false;
    }
    if (!whole) DeleteFileA(part.c_str());
    return whole;
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAA found{};
    const HANDLE listing = FindFirstFileA(path_in(folder, "*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        entries.push_back({found.cFileName, static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow,
                           nanoseconds(found.ftLastWriteTime)});
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
    return true;
}

void mark_used(const std::string& path) {
    const HANDLE handle = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    SetFileTime(handle, nullptr, nullptr, &time);
    CloseHandle(handle);
}

void remove_file(const std::string& path) {
    DeleteFileA(path.c_str());
}

std::string path_in(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

}  // namespace standin_registry::files
