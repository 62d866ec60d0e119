// An export's index as the index cache keeps it in a file: the reader that made it, the
// export it was made of (that file's identity, and a digest of its first and last bytes),
// then the index's tables, with a checksum over all of it but the reader's name. Read back
// only when every part of it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "regfile/export_index.h"
#include "standin_registry/files.h"

namespace standin_registry {

// Which export an index is for: the file, and a digest of its first and last bytes.
struct ExportStamp {
    files::FileIdentity identity;
    std::uint64_t sample = 0;
};

// The stamp of an export opened as file.
bool stamp_export(const files::OpenedFile& file, ExportStamp& stamp);

// Writes the index to out, as written by the reader named reader; false when it cannot.
bool write_stored_index(files::FileWriter& out, const regfile::IndexContent& content, const ExportStamp& stamp,
                        std::string_view reader);

// The index an entry holds, when it is whole, undamaged, written by the reader named reader,
// for the export stamped so, and holds together (every key, name and part where the tables
// say); nullptr otherwise.
std::shared_ptr<const regfile::IndexContent> stored_index_content(const files::OpenedFile& entry, const ExportStamp& stamp,
                                                                  std::string_view reader);

}  // namespace standin_registry
