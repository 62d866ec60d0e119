// The stand-in's indexed registries: a file is indexed again only when it has changed, told
// by its identity and size and its times of change. A file modified within the last two
// seconds is not trusted to show its next change that way, since file times advance in
// coarse steps: it is indexed again at every call until it has been left alone that long.
// An index with every line checked is looked for in hostsim's index cache first, and kept
// there once made (index_cache.h).
#include "standin_registry/registry_cache.h"

#include <array>
#include <cstdint>
#include <string>

#include "standin_registry/files.h"
#include "standin_registry/index_cache.h"
#include "test_hooks/registry_text.h"
#include "text/code_page.h"

namespace standin_registry {
namespace {

// A registry without keys: no source, or one that is not a registry file (which has no
// keys either, since it is refused at its header).
Snapshot empty_registry() {
    static Snapshot empty;
    if (!empty || empty->code_page() != code_page::machine_code_page()) {
        empty = regfile::read_export("", regfile::ValueCheck::when_asked);
    }
    return empty;
}

// The last files indexed: in tests, the registry and the file it changes into.
struct CachedFile {
    std::string path;
    files::FileIdentity identity;
    Snapshot snapshot;
};

// Never destroyed: a process that read a large export should not spend its last moments
// taking the index apart.
std::array<CachedFile, 2>& cached_files = *new std::array<CachedFile, 2>;
std::size_t next_free_slot = 0;

CachedFile* cached_file(const std::string& path) {
    for (CachedFile& cached : cached_files) {
        if (cached.snapshot && cached.path == path) return &cached;
    }
    return nullptr;
}

// Whether the kept index answers a request: made with every line checked when that is
// asked for, and for this code page (an ANSI export's names are read in it).
bool serves(const Snapshot& kept, bool checked, unsigned code_page) {
    const regfile::IndexContent& content = *kept->content();
    return (!checked || content.check == regfile::ValueCheck::every_line) && content.holds_for(code_page);
}

// The export in the opened file, indexed, or its index from hostsim's index cache.
Snapshot indexed_file(const std::shared_ptr<const files::OpenedFile>& file, const files::FileIdentity& identity,
                      regfile::ValueCheck check) {
    const unsigned code_page = code_page::machine_code_page();
    const bool checked = check == regfile::ValueCheck::every_line;
    // A kept index has every line checked: it serves any request.
    auto kept = cached_index(*file);
    if (kept && kept->holds_for(code_page)) return std::make_shared<const regfile::Export>(file, std::move(kept), code_page);
    auto snapshot = std::make_shared<const regfile::Export>(file, identity.size, check);
    if (checked && snapshot->ok()) keep_index(*file, identity, *snapshot->content());
    return snapshot;
}

Snapshot file_snapshot(const std::string& path, regfile::ValueCheck check) {
    const auto file = files::open_file(path);
    files::FileIdentity identity;
    const bool found = file && file->identify(identity);
    const bool checked = check == regfile::ValueCheck::every_line;
    if (!found) return checked ? regfile::unreadable_export("cannot read " + path) : empty_registry();
    CachedFile* cached = cached_file(path);
    const unsigned code_page = code_page::machine_code_page();
    if (cached != nullptr && cached->identity == identity && serves(cached->snapshot, checked, code_page)) {
        if (cached->snapshot->code_page() != code_page) {
            cached->snapshot = std::make_shared<const regfile::Export>(cached->snapshot->source(),
                                                                       cached->snapshot->content(), code_page);
        }
        return cached->snapshot;
    }
    Snapshot snapshot = indexed_file(file, identity, check);
    if (settled(identity)) {
        if (cached == nullptr) {
            cached = &cached_files[next_free_slot];
            next_free_slot = (next_free_slot + 1) % cached_files.size();
        }
        *cached = CachedFile{path, identity, snapshot};
    }
    return snapshot;
}

Snapshot supplied_snapshot(const char* text, std::size_t size, std::uint64_t generation) {
    static std::uint64_t cached_generation = 0;
    static Snapshot cached;
    if (!cached || generation != cached_generation || cached->code_page() != code_page::machine_code_page()) {
        cached = regfile::read_export(std::string_view(text, size), regfile::ValueCheck::when_asked);
        cached_generation = generation;
    }
    return cached;
}

}  // namespace

Snapshot registry_snapshot(const char* path) {
    if (vantrel_standin_registry_text != nullptr) {
        std::size_t size = 0;
        std::uint64_t generation = 0;
        if (const char* text = vantrel_standin_registry_text(&size, &generation)) {
            return supplied_snapshot(text, size, generation);
        }
    }
    if (path == nullptr || *path == '\0') return empty_registry();
    return file_snapshot(path, regfile::ValueCheck::when_asked);
}

Snapshot checked_registry_snapshot(const std::string& path) {
    return file_snapshot(path, regfile::ValueCheck::every_line);
}

}  // namespace standin_registry
