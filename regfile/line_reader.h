// The lines of a .reg file, one at a time: numbered as an editor numbers them, as UTF-8
// whatever the file's encoding, and read a chunk at a time, so that a large export is never held
// whole and a line costs no allocation once the buffers have grown to fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

// ANSI text is in the machine's code page; a UTF-8 byte-order mark or a UTF-16 one says
// otherwise.
enum class Encoding { ansi, utf8, utf16le };

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

// A line as the file holds it, in its own encoding: its bytes without the line break (a
// '\r' before it kept), valid until the next line is read.
struct RawLine {
    const char* bytes = nullptr;
    std::size_t size = 0;  // in bytes; whole units in UTF-16
    int number = 0;
    std::uint64_t offset = 0;
};

class LineReader {
public:
    // The lines of the bytes from begin to end of source, the first numbered first_number.
    // A UTF-16 text's odd last byte belongs to no character and is passed over; ANSI text is
    // read in code_page.
    LineReader(const ByteSource& source, Encoding encoding, unsigned code_page, std::uint64_t begin,
               std::uint64_t end, int first_number);

    // The next line; false after the last.
    bool next(Line& line);
    // The next line as it stands in the file, for a reader that converts only what it needs.
    bool next_raw(RawLine& line);
    // A raw line, the last one read, as UTF-8.
    Line converted(const RawLine& line);
    // Back to the start of an earlier line, to read it and those after it again: from the
    // bytes at hand when they still hold it.
    void rewind(std::uint64_t offset, int number);
    // Where the line after the last one read starts.
    std::uint64_t offset() const { return base_ + position_; }
    Encoding encoding() const { return encoding_; }
    // The bytes not read yet.
    std::uint64_t bytes_left() const { return end_ - offset(); }

private:
    std::size_t find_line_end(std::size_t from) const;
    bool line_end_after_filling(std::size_t& end);
    bool fill();
    std::string_view as_utf8(const char* bytes, std::size_t size);

    const ByteSource& source_;
    Encoding encoding_;
    unsigned code_page_;
    std::uint64_t end_;
    int number_;
    const char* data_ = nullptr;  // the bytes from base_ on that are at hand
    std::size_t size_ = 0;
    std::uint64_t base_;
    std::size_t position_ = 0;  // of the next line, from base_
    std::vector<char> buffer_;  // for a source not in memory
    std::string converted_;
};

// UTF-16LE text as UTF-8, appended to out; half of a surrogate pair alone reads as U+FFFD.
void utf16_to_utf8(std::string_view bytes, std::string& out);

}  // namespace regfile
