// Reading an export from its file with Windows' own calls, a piece at a time, as the POSIX
// side does (regfile/export_file.cpp): the index never holds the whole file. The path is in
// the program's ANSI code page, as the C runtime and std::filesystem hand paths over. This
// file is used for Windows only.
#include "regfile/export_file.h"

#include <windows.h>

#include <algorithm>

namespace regfile {
namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}
    ~FileSource() override { CloseHandle(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Each read states its offset, so that pieces may be read in any order.
    std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const override {
        std::size_t total = 0;
        while (total < size) {
            OVERLAPPED at{};
            const std::uint64_t position = offset + total;
            at.Offset = static_cast<DWORD>(position);
            at.OffsetHigh = static_cast<DWORD>(position >> 32);
            DWORD count = 0;
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            if (!ReadFile(file_, buffer + total, wanted, &count, &at) || count == 0) break;
            total += count;
        }
        return total;
    }
    const char* in_memory(std::uint64_t) const override { return nullptr; }

private:
    HANDLE file_;
};

}  // namespace

std::shared_ptr<const Export> read_export_file(const std::string& path, ValueCheck check) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return unreadable_export(path);
    }
    // Only a file on disk has bytes to index: a device or pipe reads as empty, as natively.
    const std::uint64_t bytes = GetFileType(file) == FILE_TYPE_DISK ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    return std::make_shared<const Export>(std::make_unique<FileSource>(file), bytes, check);
}

}  // namespace regfile
