// hostsim's cache of export indexes, a file per export in the user's cache folder, so that
// a run over exports that have not changed reads each one's index instead of the export.
// An index is believed only for the very file it was made of, unchanged (its identity, size,
// times and first and last bytes), and only when it is whole and from this hostsim; an index
// is kept only of a file left alone for a while, since file times advance in steps. The
// folder is kept under a size, the indexes used least recently removed first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "regfile/export_index.h"
#include "standin_registry/files.h"

namespace standin_registry {

constexpr std::uint64_t default_cache_size = std::uint64_t{4} << 30;

// Turns the cache on for this process (and the processes it forks) in folder, kept under
// size_limit bytes; "" turns it off. The folder is made and tried for writing: when it cannot
// be written, indexes are still read from it, and the note says why.
void use_index_cache(const std::string& folder, std::uint64_t size_limit);

// "500M", "4G", "1024K" or a number of bytes, as a size; false when it is none.
bool read_cache_size(const std::string& text, std::uint64_t& size);

// What the cache could not do that the user should know (it costs speed, never answers),
// in one line, or ""; each thing once per process.
std::string take_index_cache_note();

// The export's index from the cache, when one is kept for the file as it is now and can be
// believed; nullptr otherwise.
std::shared_ptr<const regfile::IndexContent> cached_index(const files::OpenedFile& file);

// Keeps the index of the file in the cache, when the file has been left alone long enough
// and was not changed while it was read (identity: as it was when opened).
void keep_index(const files::OpenedFile& file, const files::FileIdentity& identity, const regfile::IndexContent& content);

// Whether a file last changed at those times is settled: a change after now would give it
// other times. File times advance in steps, some as coarse as two seconds.
bool settled(const files::FileIdentity& identity);

}  // namespace standin_registry
