// Splitting a .reg file into lines without holding it whole: a memory source is read in
// place, a file through one buffer that grows only to the longest line.
#include "regfile/line_reader.h"

#include <algorithm>
#include <cstring>

#include "text/code_page.h"
#include "text/utf8.h"

namespace regfile {
namespace {

constexpr std::size_t chunk_size = 1 << 20;

unsigned unit_at(const char* bytes) {
    return static_cast<unsigned char>(bytes[0]) | static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 8;
}

bool low_surrogate(unsigned unit) {
    return unit - 0xDC00u < 0x400u;
}

}  // namespace

std::size_t MemorySource::read_at(std::uint64_t offset, char* buffer, std::size_t size) const {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, count);
    return count;
}

const char* MemorySource::in_memory(std::uint64_t offset) const {
    return bytes_.data() + std::min<std::uint64_t>(offset, bytes_.size());
}

void utf16_to_utf8(std::string_view bytes, std::string& out) {
    const std::size_t units = bytes.size() / 2;
    const std::size_t start = out.size();
    // Most text is ASCII: one pass that a compiler can run on many units at once, and the
    // whole rule only when a unit beyond ASCII turns up.
    out.resize(start + units);
    char* narrowed = &out[start];
    unsigned all = 0;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned unit = unit_at(bytes.data() + 2 * i);
        narrowed[i] = static_cast<char>(unit);
        all |= unit;
    }
    if (all < 0x80) return;
    out.resize(start);
    for (std::size_t i = 0; i < units; ++i) {
        unsigned code = unit_at(bytes.data() + 2 * i);
        const bool high = code - 0xD800u < 0x400u;
        if (high && i + 1 < units && low_surrogate(unit_at(bytes.data() + 2 * i + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit_at(bytes.data() + 2 * i + 2) - 0xDC00);
            ++i;
        } else if (high || low_surrogate(code)) {
            code = 0xFFFD;
        }
        utf8::append(code, out);
    }
}

LineReader::LineReader(const ByteSource& source, Encoding encoding, unsigned code_page, std::uint64_t begin,
                       std::uint64_t end, int first_number)
    : source_(source), encoding_(encoding), code_page_(code_page), end_(end), number_(first_number), base_(begin) {
    if (encoding_ == Encoding::utf16le && end_ > begin) end_ -= (end_ - begin) % 2;
    if (end_ < begin) end_ = begin;
    data_ = source_.in_memory(begin);
    if (data_ != nullptr) size_ = end_ - begin;
}

// Where the line break after from is (the '\n', or in UTF-16 its first byte), or npos when
// none is at hand yet.
std::size_t LineReader::find_line_end(std::size_t from) {
    while (from < size_) {
        const void* found = std::memchr(data_ + from, '\n', size_ - from);
        if (found == nullptr) return std::string_view::npos;
        const std::size_t at = static_cast<const char*>(found) - data_;
        if (encoding_ != Encoding::utf16le) return at;
        // In UTF-16 only the unit 0x000A breaks a line; a byte 0x0A inside another unit does not.
        if ((at - position_) % 2 != 0) {
            from = at + 1;
        } else if (at + 1 >= size_) {
            return std::string_view::npos;
        } else if (data_[at + 1] != '\0') {
            from = at + 2;
        } else {
            return at;
        }
    }
    return std::string_view::npos;
}

// Moves the unread bytes to the front of the buffer and reads more after them; false at
// the end of the source.
bool LineReader::fill() {
    if (source_.in_memory(base_) != nullptr) return false;
    const std::uint64_t read_to = base_ + size_;
    if (read_to >= end_) return false;
    std::size_t unread = size_ - position_;
    if (position_ > 0) std::memmove(buffer_.data(), buffer_.data() + position_, unread);
    base_ += position_;
    position_ = 0;
    size_ = unread;
    if (buffer_.size() < std::min<std::uint64_t>(chunk_size, end_ - base_) || size_ == buffer_.size()) {
        const std::size_t wanted = std::max<std::size_t>(buffer_.size() * 2, chunk_size);
        buffer_.resize(std::min<std::uint64_t>(wanted, end_ - base_));
    }
    const std::size_t count =
        source_.read_at(read_to, buffer_.data() + size_, std::min<std::uint64_t>(buffer_.size() - size_, end_ - read_to));
    data_ = buffer_.data();
    if (count == 0) {
        end_ = read_to;  // the file ends early: what was read is all there is
        return false;
    }
    size_ += count;
    return true;
}

// A line of ASCII, the most common kind, is read where it stands.
std::string_view LineReader::as_utf8(std::size_t begin, std::size_t end) {
    const std::string_view bytes(data_ + begin, end - begin);
    if (encoding_ == Encoding::utf8) return bytes;
    converted_.clear();
    if (encoding_ == Encoding::utf16le) {
        utf16_to_utf8(bytes, converted_);
        return converted_;
    }
    if (code_page::ascii(bytes)) return bytes;
    code_page::to_utf8(bytes, code_page_, converted_);
    return converted_;
}

bool LineReader::next(Line& line) {
    std::size_t searched = position_;
    std::size_t end = find_line_end(searched);
    while (end == std::string_view::npos) {
        const std::size_t behind = size_ - position_;
        if (!fill()) break;
        searched = position_ + behind - behind % 2;  // the bytes already searched, whole units
        end = find_line_end(searched);
    }
    if (end == std::string_view::npos) {
        if (position_ >= size_) return false;
        end = size_;  // the last line, without a line break
    }
    std::string_view text = as_utf8(position_, end);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    line = {text, number_++, base_ + position_};
    position_ = std::min(size_, end + (encoding_ == Encoding::utf16le ? 2 : 1));
    return true;
}

}  // namespace regfile
