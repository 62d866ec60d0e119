// The stand-in's indexed registries: a file is indexed again only when it has changed
// (file_identity.h).
#include "standin_registry/registry_cache.h"

#include <array>
#include <cstdint>
#include <string>

#include "standin_registry/file_identity.h"
#include "test_hooks/registry_text.h"
#include "regfile/export_file.h"
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
    FileIdentity identity;
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

Snapshot file_snapshot(const std::string& path, regfile::ValueCheck check) {
    FileIdentity identity;
    const bool found = identify(path.c_str(), identity);
    const bool checked = check == regfile::ValueCheck::every_line;
    if (!found && !checked) return empty_registry();
    CachedFile* cached = cached_file(path);
    // An ANSI export reads differently in another code page.
    if (!checked && cached != nullptr && cached->identity == identity &&
        cached->snapshot->code_page() == code_page::machine_code_page()) {
        return cached->snapshot;
    }
    Snapshot snapshot = regfile::read_export_file(path, check);
    if (found && settled(identity)) {
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
