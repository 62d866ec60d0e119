// The index cache's file format: the reader's name, then a header (the export's stamp, the
// index's flags and the sizes of its tables), the error, the names, the keys, the parts and
// the warnings, then a checksum of all after the name. Numbers are little-endian; parts are
// written as they lie in memory, so that they are read straight into their table. Every
// count and position is checked against what is there before it is used.
#include "standin_registry/stored_index.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace standin_registry {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "keys and parts are kept as they lie in memory");
static_assert(sizeof(regfile::Part) == 16, "a part is kept as two 64-bit offsets");

constexpr std::string_view magic = "vantrel index\r\n\x1A";
constexpr std::size_t sample_size = 4096;
constexpr std::size_t key_bytes = 6 * 4;
constexpr std::size_t keys_per_piece = 4096;

// A checksum of the bytes, four lanes of eight bytes at a time so that it costs little
// beside reading them.
std::uint64_t checksum(std::string_view bytes) {
    constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t lanes[4] = {bytes.size(), 1, 2, 3};
    std::size_t at = 0;
    for (; at + 32 <= bytes.size(); at += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + at + 8 * lane, 8);
            lanes[lane] = (lanes[lane] ^ word) * multiplier;
            lanes[lane] ^= lanes[lane] >> 29;
        }
    }
    std::uint64_t sum = 0;
    for (const std::uint64_t lane : lanes) sum = (sum ^ lane) * multiplier;
    for (; at < bytes.size(); ++at) sum = (sum ^ static_cast<unsigned char>(bytes[at])) * multiplier;
    return sum ^ sum >> 31;
}

// The checksum of a file written and read in pieces: each piece's, folded in order.
class Checksum {
public:
    void add(std::string_view piece) { sum_ = (sum_ ^ checksum(piece)) * 0x100000001B3u + 1; }
    std::uint64_t sum() const { return sum_; }

private:
    std::uint64_t sum_ = 0;
};

void put(std::string& out, std::uint64_t value, int bytes = 8) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

std::uint64_t get(const char* in, int bytes = 8) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}

// The header's fixed part: the stamp, six flags and five sizes.
constexpr std::size_t header_bytes = 6 * 8 + 6 * 4 + 5 * 8;

struct Header {
    ExportStamp stamp;
    std::uint32_t flags[6] = {};  // encoding, code page, check, version 5, ok, error line
    std::uint64_t error_size = 0;
    std::uint64_t keys = 0;
    std::uint64_t names = 0;
    std::uint64_t parts = 0;
    std::uint64_t warnings = 0;  // bytes
};

std::string header_text(const Header& header) {
    std::string out;
    const files::FileIdentity& identity = header.stamp.identity;
    for (const std::uint64_t part : {identity.volume, identity.number, identity.size, static_cast<std::uint64_t>(identity.modified),
                                     static_cast<std::uint64_t>(identity.changed), header.stamp.sample}) {
        put(out, part);
    }
    for (const std::uint32_t flag : header.flags) put(out, flag, 4);
    for (const std::uint64_t size : {header.error_size, header.keys, header.names, header.parts, header.warnings}) put(out, size);
    return out;
}

Header read_header(const char* in) {
    Header header;
    files::FileIdentity& identity = header.stamp.identity;
    identity.volume = get(in);
    identity.number = get(in + 8);
    identity.size = get(in + 16);
    identity.modified = static_cast<std::int64_t>(get(in + 24));
    identity.changed = static_cast<std::int64_t>(get(in + 32));
    header.stamp.sample = get(in + 40);
    in += 48;
    for (std::uint32_t& flag : header.flags) {
        flag = static_cast<std::uint32_t>(get(in, 4));
        in += 4;
    }
    for (std::uint64_t* size : {&header.error_size, &header.keys, &header.names, &header.parts, &header.warnings}) {
        *size = get(in);
        in += 8;
    }
    return header;
}

// The keys from first on, count of them, as the entry keeps them: six 32-bit numbers each.
void keys_text(const regfile::KeyTable& table, std::size_t first, std::size_t count, std::string& out) {
    out.resize(count * key_bytes);
    char* at = out.data();
    for (std::size_t index = first; index < first + count; ++index, at += key_bytes) {
        const regfile::ExportKey& key = table.keys[index];
        const auto name_offset = key.name.empty() ? 0 : static_cast<std::uint32_t>(key.name.data() - table.names.data());
        const std::uint32_t fields[6] = {name_offset, static_cast<std::uint32_t>(key.name.size()), key.first_subkey,
                                         key.subkey_count, key.first_part, key.part_count};
        std::memcpy(at, fields, key_bytes);
    }
}

std::string warnings_text(const std::vector<regfile::Warning>& warnings) {
    std::string out;
    put(out, warnings.size());
    for (const regfile::Warning& warning : warnings) {
        put(out, static_cast<std::uint32_t>(warning.line), 4);
        put(out, warning.message.size());
        out += warning.message;
    }
    return out;
}

// Reads an entry's bytes in order, each piece added to the checksum.
class EntryReader {
public:
    EntryReader(const files::OpenedFile& file, std::uint64_t size) : file_(file), size_(size) {}

    bool read(char* into, std::uint64_t size, bool checked = true) {
        if (size > size_ - at_ || file_.read_at(at_, into, static_cast<std::size_t>(size)) != size) return false;
        at_ += size;
        if (checked) sum_.add(std::string_view(into, static_cast<std::size_t>(size)));
        return true;
    }
    bool read(std::string& into, std::uint64_t size, bool checked = true) {
        if (size > size_ - at_) return false;
        into.resize(static_cast<std::size_t>(size));
        return read(into.data(), size, checked);
    }
    std::uint64_t left() const { return size_ - at_; }
    std::uint64_t sum() const { return sum_.sum(); }

private:
    const files::OpenedFile& file_;
    std::uint64_t size_;
    std::uint64_t at_ = 0;
    Checksum sum_;
};

// A key's subkeys come after it and within the table, and its parts are parts: a walk down
// the tree ends, and every index stays in its table.
bool key_holds(const regfile::ExportKey& key, std::size_t index, std::size_t keys, std::size_t parts) {
    const bool subkeys_hold = key.subkey_count == 0 || (key.first_subkey > index && key.first_subkey <= keys &&
                                                        key.subkey_count <= keys - key.first_subkey);
    return subkeys_hold && key.first_part <= parts && key.part_count <= parts - key.first_part;
}

bool read_keys(EntryReader& in, const Header& header, regfile::KeyTable& table) {
    if (header.keys == 0 || header.keys > in.left() / key_bytes) return false;
    table.keys.resize(static_cast<std::size_t>(header.keys));
    std::string piece;
    for (std::size_t first = 0; first < table.keys.size(); first += keys_per_piece) {
        const std::size_t count = std::min(keys_per_piece, table.keys.size() - first);
        if (!in.read(piece, count * key_bytes)) return false;
        for (std::size_t i = 0; i < count; ++i) {
            const char* fields = piece.data() + i * key_bytes;
            const std::uint64_t name_offset = get(fields, 4);
            const std::uint64_t name_size = get(fields + 4, 4);
            regfile::ExportKey& key = table.keys[first + i];
            key.first_subkey = static_cast<std::uint32_t>(get(fields + 8, 4));
            key.subkey_count = static_cast<std::uint32_t>(get(fields + 12, 4));
            key.first_part = static_cast<std::uint32_t>(get(fields + 16, 4));
            key.part_count = static_cast<std::uint32_t>(get(fields + 20, 4));
            if (name_offset > header.names || name_size > header.names - name_offset ||
                !key_holds(key, first + i, table.keys.size(), static_cast<std::size_t>(header.parts))) {
                return false;
            }
            key.name = std::string_view(table.names.data() + name_offset, name_size);
        }
    }
    return true;
}

bool read_tables(EntryReader& in, const Header& header, regfile::KeyTable& table) {
    if (header.names > in.left()) return false;
    table.names.resize(static_cast<std::size_t>(header.names));
    if (!in.read(table.names.data(), header.names) || !read_keys(in, header, table)) return false;
    if (header.parts > in.left() / sizeof(regfile::Part)) return false;
    table.parts.resize(static_cast<std::size_t>(header.parts));
    if (!in.read(reinterpret_cast<char*>(table.parts.data()), header.parts * sizeof(regfile::Part))) return false;
    return std::all_of(table.parts.begin(), table.parts.end(), [&](const regfile::Part& part) {
        return part.begin <= part.end && part.end <= header.stamp.identity.size;
    });
}

bool read_warnings(EntryReader& in, const Header& header, std::vector<regfile::Warning>& warnings) {
    std::string text;
    if (header.warnings < 8 || !in.read(text, header.warnings)) return false;
    const std::uint64_t count = get(text.data());
    std::size_t at = 8;
    if (count > (text.size() - at) / 12) return false;
    warnings.resize(static_cast<std::size_t>(count));
    for (regfile::Warning& warning : warnings) {
        if (text.size() - at < 12) return false;
        warning.line = static_cast<int>(get(text.data() + at, 4));
        const std::uint64_t size = get(text.data() + at + 4);
        at += 12;
        if (size > text.size() - at) return false;
        warning.message.assign(text, at, static_cast<std::size_t>(size));
        at += static_cast<std::size_t>(size);
    }
    return at == text.size();
}

bool same_stamp(const ExportStamp& left, const ExportStamp& right) {
    return left.identity == right.identity && left.sample == right.sample;
}

}  // namespace

bool stamp_export(const files::OpenedFile& file, ExportStamp& stamp) {
    if (!file.identify(stamp.identity)) return false;
    const std::uint64_t size = stamp.identity.size;
    std::string sample(static_cast<std::size_t>(std::min<std::uint64_t>(size, 2 * sample_size)), '\0');
    const std::size_t head = std::min(sample.size(), sample_size);
    std::size_t read = file.read_at(0, sample.data(), head);
    read += file.read_at(size - (sample.size() - head), sample.data() + head, sample.size() - head);
    stamp.sample = checksum(std::string_view(sample.data(), read));
    return true;
}

bool write_stored_index(files::FileWriter& out, const regfile::IndexContent& content, const ExportStamp& stamp,
                        std::string_view reader) {
    const regfile::KeyTable& table = content.table;
    Header header;
    header.stamp = stamp;
    const std::uint32_t flags[6] = {static_cast<std::uint32_t>(content.encoding), content.code_page,
                                    static_cast<std::uint32_t>(content.check), content.version5_export, content.ok,
                                    static_cast<std::uint32_t>(content.error_line)};
    std::copy(std::begin(flags), std::end(flags), header.flags);
    const std::string warnings = warnings_text(content.warnings);
    header.error_size = content.error.size();
    header.keys = table.keys.size();
    header.names = table.names.size();
    header.parts = table.parts.size();
    header.warnings = warnings.size();

    std::string start(magic);
    put(start, reader.size());
    start += reader;
    Checksum sum;
    const auto piece = [&](std::string_view bytes) {
        sum.add(bytes);
        return out.write(bytes);
    };
    bool written = out.write(start) && piece(header_text(header)) && piece(content.error) &&
                   piece(std::string_view(table.names.data(), table.names.size()));
    std::string keys;
    for (std::size_t first = 0; written && first < table.keys.size(); first += keys_per_piece) {
        keys_text(table, first, std::min(keys_per_piece, table.keys.size() - first), keys);
        written = piece(keys);
    }
    written = written &&
              piece(std::string_view(reinterpret_cast<const char*>(table.parts.data()), table.parts.size() * sizeof(regfile::Part))) &&
              piece(warnings);
    std::string end;
    put(end, sum.sum());
    return written && out.write(end);
}

std::shared_ptr<const regfile::IndexContent> stored_index_content(const files::OpenedFile& entry, const ExportStamp& stamp,
                                                                  std::string_view reader) {
    files::FileIdentity identity;
    if (!entry.identify(identity) || identity.size < magic.size() + 8 + header_bytes + 8) return nullptr;
    EntryReader in(entry, identity.size - 8);
    std::string text;
    if (!in.read(text, magic.size() + 8, false) || text.compare(0, magic.size(), magic) != 0 ||
        get(text.data() + magic.size()) != reader.size() || !in.read(text, reader.size(), false) || text != reader ||
        !in.read(text, header_bytes)) {
        return nullptr;
    }
    const Header header = read_header(text.data());
    const std::uint32_t* flags = header.flags;
    if (!same_stamp(header.stamp, stamp) || flags[0] > 2 || flags[2] > 1 || flags[3] > 1 || flags[4] > 1) return nullptr;
    auto content = std::make_shared<regfile::IndexContent>();
    content->encoding = static_cast<regfile::Encoding>(flags[0]);
    content->code_page = flags[1];
    content->check = static_cast<regfile::ValueCheck>(flags[2]);
    content->version5_export = flags[3] != 0;
    content->ok = flags[4] != 0;
    content->error_line = static_cast<int>(flags[5]);
    if (!in.read(content->error, header.error_size) || !read_tables(in, header, content->table) ||
        !read_warnings(in, header, content->warnings) || in.left() != 0) {
        return nullptr;
    }
    std::string stored_sum(8, '\0');
    if (entry.read_at(identity.size - 8, stored_sum.data(), 8) != 8 || get(stored_sum.data()) != in.sum()) return nullptr;
    return content;
}

}  // namespace standin_registry
