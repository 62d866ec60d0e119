// Reading an export from its file with POSIX descriptors, a piece at a time: the index
// never holds the whole file, so memory stays well below the size of a large export.
#include "regfile/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace regfile {
namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(int descriptor) : descriptor_(descriptor) {}
    ~FileSource() override { close(descriptor_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

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
    const char* in_memory(std::uint64_t) const override { return nullptr; }

private:
    int descriptor_;
};

}  // namespace

std::shared_ptr<const Export> read_export_file(const std::string& path, ValueCheck check) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
        if (descriptor >= 0) close(descriptor);
        return unreadable_export(path);
    }
    const std::uint64_t size = S_ISREG(status.st_mode) ? static_cast<std::uint64_t>(status.st_size) : 0;
    return std::make_shared<const Export>(std::make_unique<FileSource>(descriptor), size, check);
}

}  // namespace regfile
