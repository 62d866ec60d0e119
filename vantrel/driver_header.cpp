// GetDriverVer: an instrument driver's version, read from the _MAJOR_VERSION and
// _MINOR_VERSION definitions in the driver's header file and handed back as '2.014'.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/file.h"
#include "platform/text.h"
#include "text/characters.h"

namespace {

// Only the first 10 000 characters of a header are searched.
constexpr std::size_t text_capacity = 10000;
constexpr int end_of_text = 0x1A;  // Ctrl-Z

// Static storage: more than a host thread's stack should be asked for. Every call fills
// what it reads afresh (the path, the text up to its terminating zero, the whole answer),
// so nothing an earlier call left here reaches a later one.
std::array<char, 260> driver_path;
std::array<char, text_capacity + 1> header_text;  // the text, then a zero
std::array<char, 256> answer;
std::array<unsigned char, 4096> read_chunk;

struct DriverVersion {
    std::int32_t major;
    std::int32_t minor;
};

// Bytes of the header file, a chunk at a time, with one byte of look-ahead.
class HeaderBytes {
public:
    explicit HeaderBytes(platform::FileHandle file) : file_(file) {}

    int next() {
        if (position_ == length_) {
            length_ = platform::read_file(file_, read_chunk.data(), read_chunk.size());
            position_ = 0;
            if (length_ == 0) return end_of_file;
        }
        return read_chunk[position_++];
    }

    // Gives the byte just read back, to be read again.
    void put_back() { --position_; }

    static constexpr int end_of_file = -1;

private:
    platform::FileHandle file_;
    std::size_t length_ = 0;
    std::size_t position_ = 0;
};

// Reads the text as text mode delivers it: carriage-return/line-feed pairs as one line
// feed, and Ctrl-Z ending the text. Done here rather than by the C library, whose text
// mode does it on Windows only, so that every build reads the same text. The limit
// counts the characters after that translation.
std::size_t read_text(HeaderBytes& bytes, char* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity) {
        int c = bytes.next();
        if (c == HeaderBytes::end_of_file || c == end_of_text) break;
        if (c == '\r') {
            const int following = bytes.next();
            if (following == '\n') c = '\n';
            else if (following != HeaderBytes::end_of_file) bytes.put_back();
        }
        text[length++] = static_cast<char>(c);
    }
    return length;
}

// Fills header_text from the file DRIVER_PATH names and returns the text's length, 0
// when there is no file to read. A path too long for its buffer is not opened at all:
// cut to fit, it would name some other file.
std::size_t read_driver_header(const HostCallRecord* record) {
    const std::size_t path_length = hostcall::read_host_variable(record, "DRIVER_PATH", driver_path);
    std::size_t length = 0;
    if (path_length > 0 && path_length < driver_path.size()) {
        if (platform::FileHandle file = platform::open_file_for_reading(driver_path.data())) {
            HeaderBytes bytes(file);
            length = read_text(bytes, header_text.data(), text_capacity);
            platform::close_file(file);
        }
    }
    header_text[length] = '\0';
    return length;
}

bool is_name_character(char c) {
    return characters::is_letter(c) || characters::is_digit(c) || c == '_';
}

// The position just past the first occurrence of marker at or after from (where a
// character starts) that ends a name, or npos. '_MAJOR_VERSION_STRING' holds the marker but
// defines something else. The text is walked a character at a time, so that the marker is
// never found starting at the second byte of a double-byte character: in code page 932 the
// second byte of ダ (83 5F) is an '_' only when read as a byte.
std::size_t find_marker(std::string_view text, std::string_view marker, std::size_t from,
                        const platform::LeadBytes& lead_bytes) {
    for (std::size_t at = from; at < text.size(); at = lead_bytes.after_character(text.data() + at) - text.data()) {
        if (text.compare(at, marker.size(), marker) != 0) continue;
        const std::size_t end = at + marker.size();
        if (end == text.size() || !is_name_character(text[end])) return end;
    }
    return std::string_view::npos;
}

const char* skip_blanks(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

// The value of c as a digit in base, or -1 when it is none.
int digit_value(char c, unsigned base) {
    const int value = characters::hex_digit_value(c);
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

// Reads an integer as "%i" reads its digits: an optional sign, then "0x" for hexadecimal, a
// leading "0" for octal, decimal otherwise; 0 when there is none. No white space is
// skipped, so the number is never taken from another line. A number beyond the 32-bit
// range is held at its end, as strtol holds it, so that a positive definition never turns
// negative.
std::int32_t read_integer(const char* text) {
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (digit_value(*text, 10) < 0) return 0;
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && digit_value(text[2], 16) >= 0) {
        base = 16;
        text += 2;
    } else if (text[0] == '0') {
        base = 8;
    }
    const std::uint64_t limit = negative ? std::uint64_t{INT32_MAX} + 1 : INT32_MAX;
    std::uint64_t magnitude = 0;
    for (int digit = digit_value(*text, base); digit >= 0; digit = digit_value(*++text, base)) {
        magnitude = std::min(magnitude * base + static_cast<unsigned>(digit), limit);
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
}

// The number defined right after a marker: '1', '(1)', '  ( 0x10 )', on the marker's line.
std::int32_t read_definition(const char* after_marker) {
    const char* text = skip_blanks(after_marker);
    if (*text == '(') text = skip_blanks(text + 1);
    return read_integer(text);
}

// The text must be followed by a zero, which ends any number read at its end. The minor
// version is looked for after the major one first, and from the start when it comes first.
DriverVersion find_version(std::string_view text) {
    DriverVersion version{0, 0};
    const platform::LeadBytes lead_bytes = platform::ansi_lead_bytes();
    const std::size_t major_end = find_marker(text, "_MAJOR_VERSION", 0, lead_bytes);
    if (major_end == std::string_view::npos) return version;
    version.major = read_definition(text.data() + major_end);
    std::size_t minor_end = find_marker(text, "_MINOR_VERSION", major_end, lead_bytes);
    if (minor_end == std::string_view::npos) minor_end = find_marker(text, "_MINOR_VERSION", 0, lead_bytes);
    if (minor_end != std::string_view::npos) version.minor = read_definition(text.data() + minor_end);
    return version;
}

// Writes major + minor / 1000 with three decimals ('2.014'; a minor of 1000 or more
// carries into the integer part). Counted in thousandths as integers, the text is that of
// "%.3f" but exact and free of the C library's locale, which a host may have set to write
// a decimal comma.
void format_version(const DriverVersion& version, std::array<char, 256>& text) {
    const std::int64_t thousandths = std::int64_t{version.major} * 1000 + version.minor;
    const std::uint64_t magnitude = thousandths < 0 ? 0 - static_cast<std::uint64_t>(thousandths)
                                                    : static_cast<std::uint64_t>(thousandths);
    char* out = text.data();
    if (thousandths < 0) *out++ = '-';
    out = std::to_chars(out, text.data() + text.size(), magnitude / 1000).ptr;
    const unsigned fraction = static_cast<unsigned>(magnitude % 1000);
    *out++ = '.';
    *out++ = static_cast<char>('0' + fraction / 100);
    *out++ = static_cast<char>('0' + fraction / 10 % 10);
    *out++ = static_cast<char>('0' + fraction % 10);
    *out = '\0';
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GetDriverVer(HostCallRecord* record) noexcept {
    const std::size_t length = read_driver_header(record);
    format_version(find_version(std::string_view(header_text.data(), length)), answer);
    hostcall::write_result(record, answer.data());
    return 1;
}
