// The stand-in registry's few calls on the system, for exports and their index cache: an
// export opened with what tells that file, and that state of it, from any other; the user's
// cache folder; whole files read, and written aside then put in place in one step; a
// folder's entries and their times of use. posix/ and windows/ hold the two sides.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/line_reader.h"

namespace standin_registry::files {

// Which file, and which state of it: its volume and number there (a file replaced, by a
// rename or anew, is another), its size, and its times of last change, in nanoseconds. The
// status change time moves with every write and rename, and no program can set it back.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t number = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
};

inline bool operator==(const FileIdentity& left, const FileIdentity& right) {
    return left.volume == right.volume && left.number == right.number && left.size == right.size &&
           left.modified == right.modified && left.changed == right.changed;
}

// Now, on the clock of the files' times.
std::int64_t now();
constexpr std::int64_t nanoseconds_per_second = 1000000000;

// A file opened for reading, piece by piece: one cut short while open ends early.
class OpenedFile : public regfile::ByteSource {
public:
    // The identity of the opened file as it is now; false when it cannot be told.
    virtual bool identify(FileIdentity& identity) const = 0;
    const char* in_memory(std::uint64_t) const override { return nullptr; }
};

// The file at path opened for reading; nullptr when it cannot be, or is no regular file.
std::shared_ptr<const OpenedFile> open_file(const std::string& path);

// The user's folder for caches, with "vantrel" appended: $XDG_CACHE_HOME/vantrel, else
// ~/.cache/vantrel; on Windows %LOCALAPPDATA%\vantrel. "" when none can be named.
std::string user_cache_folder();

// The folder and those above it, made where missing. False, with the reason, when it
// cannot be made or is no folder.
bool make_folder(const std::string& path, std::string& error);

// Where a new file's bytes go, in order.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // False when the bytes cannot be written (a full disk).
    virtual bool write(std::string_view bytes) = 0;
};

// Writes a new file beside path (its name starting with '.', ending in ".part") through
// fill, then puts it in place of path in one step: a reader sees the old file whole or the
// new one whole, never part of one. False, with the reason, when it cannot or fill returns
// false; nothing is left behind then.
bool replace_file(const std::string& path, const std::function<bool(FileWriter&)>& fill, std::string& error);

struct FolderEntry {
    std::string name;
    std::uint64_t size = 0;
    std::int64_t used = 0;  // the last time marked used, or written
};

// The files in a folder (no folders); false when it cannot be read.
bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries);

// Marks the file used now (its time of last change); quietly nothing when it cannot.
void mark_used(const std::string& path);

// Removes the file; quietly nothing when it cannot, or it is gone already.
void remove_file(const std::string& path);

// The path of name inside folder.
std::string path_in(const std::string& folder, const std::string& name);

}  // namespace standin_registry::files
