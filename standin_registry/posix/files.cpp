// POSIX side of the stand-in registry's file calls (builds away from Windows): descriptors
// read with pread, a file's identity from fstat, a new file put in place with rename.
#include "standin_registry/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace standin_registry::files {
namespace {

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * nanoseconds_per_second + time.tv_nsec;
}

FileIdentity identity_of(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
}

class DescriptorFile : public OpenedFile {
public:
    explicit DescriptorFile(int descriptor) : descriptor_(descriptor) {}
    ~DescriptorFile() override { close(descriptor_); }
    DescriptorFile(const DescriptorFile&) = delete;
    DescriptorFile& operator=(const DescriptorFile&) = delete;

    std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const override {
        std::size_t total = 0;
        while (total < size) {
            const ssize_t count = pread(descriptor_, buffer + total, size - total, static_cast<off_t>(offset + total));
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) break;
            total += static_cast<std::size_t>(count);
        }
        return total;
    }
    bool identify(FileIdentity& identity) const override {
        struct stat status {};
        if (fstat(descriptor_, &status) != 0) return false;
        identity = identity_of(status);
        return true;
    }

private:
    int descriptor_;
};

class DescriptorWriter : public FileWriter {
public:
    explicit DescriptorWriter(int descriptor) : descriptor_(descriptor) {}
    bool write(std::string_view bytes) override {
        for (std::size_t written = 0; written < bytes.size();) {
            const ssize_t count = ::write(descriptor_, bytes.data() + written, bytes.size() - written);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) {
                if (count == 0) errno = ENOSPC;
                return false;
            }
            written += static_cast<std::size_t>(count);
        }
        return true;
    }

private:
    int descriptor_;
};

}  // namespace

std::int64_t now() {
    timespec time{};
    clock_gettime(CLOCK_REALTIME, &time);
    return nanoseconds(time);
}

std::shared_ptr<const OpenedFile> open_file(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    auto file = std::make_shared<const DescriptorFile>(descriptor);
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    return file;
}

std::string user_cache_folder() {
    // A relative XDG_CACHE_HOME is to be passed over, as the XDG base directories say.
    const char* cache_home = std::getenv("XDG_CACHE_HOME");
    if (cache_home != nullptr && cache_home[0] == '/') return std::string(cache_home) + "/vantrel";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/vantrel";
    return "";
}

bool make_folder(const std::string& path, std::string& error) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        // Private: the index names the keys of the machines it was made of.
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            error = folder + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        error = path + ": " + std::strerror(ENOTDIR);
        return false;
    }
    return true;
}

bool replace_file(const std::string& path, const std::function<bool(FileWriter&)>& fill, std::string& error) {
    static std::atomic<unsigned> written{0};
    const std::size_t slash = path.rfind('/');
    const std::string part = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + "." + std::to_string(getpid()) +
                             "." + std::to_string(written++) + ".part";
    const int descriptor = open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        error = std::strerror(errno);
        return false;
    }
    DescriptorWriter writer(descriptor);
    errno = 0;
    const bool whole = fill(writer);
    const int write_error = errno != 0 ? errno : EIO;
    if (close(descriptor) != 0 || !whole || rename(part.c_str(), path.c_str()) != 0) {
        error = std::strerror(whole ? errno : write_error);
        unlink(part.c_str());
        return false;
    }
    return true;
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return false;
    while (const dirent* entry = readdir(listing)) {
        struct stat status {};
        if (fstatat(dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)) continue;
        entries.push_back({entry->d_name, static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim)});
    }
    closedir(listing);
    return true;
}

void mark_used(const std::string& path) {
    const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void remove_file(const std::string& path) {
    unlink(path.c_str());
}

std::string path_in(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

}  // namespace standin_registry::files
