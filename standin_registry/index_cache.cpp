// The index cache: an entry per export file, named by the file's volume and number, holding
// the stamp of the export it was made of (stored_index.h). An entry is written aside and put
// in place in one step, so that a run reading it while another writes it sees it whole, old
// or new; an entry that does not hold for the export as it is now is read past and written
// again after the export is read.
#include "standin_registry/index_cache.h"

#include <algorithm>
#include <random>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "standin_registry/stored_index.h"

namespace standin_registry {
namespace {

// Raise the format whenever the reader would index an export otherwise.
constexpr const char* reader_name = "hostsim " VANTREL_VERSION ", index format 1";

constexpr const char* entry_suffix = ".index";
constexpr const char* part_suffix = ".part";
constexpr std::int64_t settle_seconds = 2;
// A part file this old was left by a writer that stopped.
constexpr std::int64_t abandoned_seconds = 3600;

struct Cache {
    bool chosen = false;  // by use_index_cache, or from hostsim's variable
    std::string folder;   // "": no cache
    std::uint64_t size_limit = default_cache_size;
    bool writable = false;
    std::set<std::string> noted;
    std::string note;
};

Cache& cache = *new Cache;  // never destroyed: used until the process ends

// A library that hostsim.exe loads on Windows holds a cache state of its own, never told by
// use_index_cache: it reads the indexes hostsim keeps in the folder that VANTREL_INDEX_CACHE
// names, and writes none (hostsim has kept the export's index, or found it, just before).
void follow_hostsim_cache() {
    if (cache.chosen) return;
    cache.chosen = true;
    const char* folder = std::getenv("VANTREL_INDEX_CACHE");
    cache.folder = folder != nullptr ? folder : "";
}

void add_note(const std::string& note) {
    if (cache.noted.insert(note).second && cache.note.empty()) cache.note = note;
}

std::string entry_path(const files::FileIdentity& identity) {
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const std::uint64_t part : {identity.volume, identity.number}) {
        for (int shift = 0; shift < 64; shift += 8) hash = (hash ^ (part >> shift & 0xFF)) * 0x100000001B3u;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx%s", static_cast<unsigned long long>(hash), entry_suffix);
    return files::path_in(cache.folder, name);
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Removes the entries used least recently until the folder is back under its size, and the
// part files of writers long gone.
void trim_cache() {
    std::vector<files::FolderEntry> entries;
    if (!files::list_folder(cache.folder, entries)) return;
    const std::int64_t now = files::now();
    std::uint64_t total = 0;
    std::vector<files::FolderEntry> indexes;
    for (const files::FolderEntry& entry : entries) {
        if (ends_with(entry.name, part_suffix) && entry.used + abandoned_seconds * files::nanoseconds_per_second < now) {
            files::remove_file(files::path_in(cache.folder, entry.name));
        } else if (ends_with(entry.name, entry_suffix)) {
            total += entry.size;
            indexes.push_back(entry);
        }
    }
    std::sort(indexes.begin(), indexes.end(),
              [](const files::FolderEntry& left, const files::FolderEntry& right) { return left.used < right.used; });
    for (const files::FolderEntry& entry : indexes) {
        if (total <= cache.size_limit) break;
        files::remove_file(files::path_in(cache.folder, entry.name));
        total -= entry.size;
    }
}

}  // namespace

void use_index_cache(const std::string& folder, std::uint64_t size_limit) {
    cache.chosen = true;
    cache.folder = folder;
    cache.size_limit = size_limit;
    cache.writable = false;
    if (folder.empty()) return;
    // Tried once, here, so that a fleet's machines do not each find it out.
    std::string error;
    // A name of its own: a fleet's machines, each a process, try at the same time, and on
    // Windows a name being removed by one cannot be written by another.
    const std::string tried = files::path_in(folder, ".written." + std::to_string(std::random_device{}()));
    if (!files::make_folder(folder, error) || !files::replace_file(tried, [](files::FileWriter&) { return true; }, error)) {
        add_note("hostsim: cannot keep export indexes in " + folder + ": " + error +
                 " (every export is read afresh; the answers are the same)");
        return;
    }
    files::remove_file(tried);
    cache.writable = true;
}

bool read_cache_size(const std::string& text, std::uint64_t& size) {
    std::size_t digits = 0;
    size = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 15) {
        size = size * 10 + static_cast<unsigned>(text[digits++] - '0');
    }
    if (digits == 0 || text.size() > digits + 1) return false;
    if (text.size() == digits) return true;
    const std::string units = "KMGT";
    const std::size_t unit = units.find(static_cast<char>(text.back() & ~0x20));
    if (unit == std::string::npos) return false;
    size <<= 10 * (unit + 1);
    return true;
}

std::string take_index_cache_note() {
    std::string note;
    note.swap(cache.note);
    return note;
}

std::shared_ptr<const regfile::IndexContent> cached_index(const files::OpenedFile& file) {
    follow_hostsim_cache();
    if (cache.folder.empty()) return nullptr;
    ExportStamp stamp;
    if (!stamp_export(file, stamp)) return nullptr;
    const std::string entry_file = entry_path(stamp.identity);
    const auto entry = files::open_file(entry_file);
    if (!entry) return nullptr;
    auto content = stored_index_content(*entry, stamp, reader_name);
    if (content) files::mark_used(entry_file);
    return content;
}

void keep_index(const files::OpenedFile& file, const files::FileIdentity& identity, const regfile::IndexContent& content) {
    ExportStamp stamp;
    if (!cache.writable || !settled(identity) || !stamp_export(file, stamp) || !(stamp.identity == identity)) return;
    // Names, keys and parts take about this much; an index larger than the cache is not kept.
    const std::uint64_t size = content.table.names.size() + 24 * content.table.keys.size() + 16 * content.table.parts.size();
    if (size > cache.size_limit) return;
    std::string error;
    const auto write = [&](files::FileWriter& out) { return write_stored_index(out, content, stamp, reader_name); };
    if (!files::replace_file(entry_path(identity), write, error)) {
        add_note("hostsim: cannot keep an export's index in " + cache.folder + ": " + error +
                 " (it is read afresh next time; the answers are the same)");
        return;
    }
    trim_cache();
}

bool settled(const files::FileIdentity& identity) {
    const std::int64_t settled_before = files::now() - settle_seconds * files::nanoseconds_per_second;
    return identity.modified < settled_before && identity.changed < settled_before;
}

}  // namespace standin_registry
