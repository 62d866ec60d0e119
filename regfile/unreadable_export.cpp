// The export of a file that cannot be opened, on either side of the file reading
// (regfile/export_file.cpp, regfile/windows/export_file.cpp): no bytes, not ok, on line 0.
#include "regfile/export_file.h"

namespace regfile {
namespace {

class NoBytes : public ByteSource {
public:
    std::size_t read_at(std::uint64_t, char*, std::size_t) const override { return 0; }
    const char* in_memory(std::uint64_t) const override { return ""; }
};

}  // namespace

std::shared_ptr<const Export> unreadable_export(const std::string& path) {
    auto unreadable = std::make_shared<Export>(std::make_unique<NoBytes>(), 0, ValueCheck::when_asked);
    unreadable->fail(0, "cannot read " + path);
    return unreadable;
}

}  // namespace regfile
