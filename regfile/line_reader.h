// The lines of a .reg file, one at a time: numbered as an editor numbers them, narrowed to
// the 8-bit code page, and read a chunk at a time, so that a large export is never held
// whole and a line costs no allocation once the buffers have grown to fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

enum class Encoding { ansi, utf16le };

// Where the bytes of a file come from: memory, or a file read piece by piece.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to size bytes from offset into buffer; the count copied, 0 at the end or on
    // an error (a file shorter than it was is read as ending there).
    virtual std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const = 0;
    // The bytes from offset to the end when they are all in memory, so that no copy is made;
    // nullptr for a file.
    virtual const char* in_memory(std::uint64_t offset) const = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read_at(std::uint64_t offset, char* buffer, std::size_t size) const override;
    const char* in_memory(std::uint64_t offset) const override;

private:
    std::string_view bytes_;
};

struct Line {
    std::string_view text;  // without '\n' and one '\r' before it; valid until the next line is read
    int number = 0;
    std::uint64_t offset = 0;  // of the line's first byte in the file
};

class LineReader {
public:
    // The lines of the bytes from begin to end of source, the first numbered first_number.
    // A UTF-16 text's odd last byte belongs to no character and is passed over.
    LineReader(const ByteSource& source, Encoding encoding, std::uint64_t begin, std::uint64_t end,
               int first_number);

    // The next line; false after the last.
    bool next(Line& line);
    // Where the line after the last one read starts.
    std::uint64_t offset() const { return base_ + position_; }

private:
    std::size_t find_line_end(std::size_t from);
    bool fill();
    std::string_view narrow(std::size_t begin, std::size_t end);

    const ByteSource& source_;
    Encoding encoding_;
    std::uint64_t end_;
    int number_;
    const char* data_ = nullptr;  // the bytes from base_ on that are at hand
    std::size_t size_ = 0;
    std::uint64_t base_;
    std::size_t position_ = 0;  // of the next line, from base_
    std::vector<char> buffer_;  // for a source not in memory
    std::string narrowed_;
};

// UTF-16LE text in the 8-bit code page the stand-in uses (Latin-1): a character outside it
// reads as '?', as a conversion to a narrow code page gives, and the second half of a
// surrogate pair after a '?' adds nothing. Appends to out.
void narrow_utf16(std::string_view bytes, std::string& out);

}  // namespace regfile
