// GetRegKeys: the subkeys of one key that hold a given value and reach a lower bound, one
// subkey per distinct value (the greatest name), listed greatest first, each name followed
// by "\r": the key list a script hands on to MapRegKeys.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "text/characters.h"
#include "vantrel/view_variable.h"
#include "vantrel/whole_variable.h"

namespace {

// Host texts and the answer hold up to 1023 characters.
constexpr std::size_t text_capacity = 1024;
// A value is queried with room for 1024 bytes; data without a zero byte needs one more.
constexpr std::size_t value_query_bytes = 1024;
// The registry's own limit for a key name: 255 characters.
constexpr std::size_t name_capacity = 256;
constexpr std::size_t entry_capacity = 250;

using HostText = std::array<char, text_capacity>;
using Name = std::array<char, name_capacity>;
using ValueText = std::array<char, value_query_bytes + 1>;

struct Request {
    HostText key_path;
    HostText lower_bound;
    HostText value_name;
    platform::RegistryView view;  // every key, the subkeys read for their values too
    platform::LeadBytes lead_bytes;  // of the system's code page, found once for the call
};

// Names and values are held whole, as long as the registry lets them be.
struct Entry {
    Name name;
    // The value that created the entry; during the re-read check, its current value.
    ValueText value;
    bool readable;
    bool listed;
};

// 250 entries of 1.3 KiB would take far more stack than a host thread may offer, so the
// table lives in static storage and is set up afresh on every call. GetRegKeys therefore
// must not run on two threads at once, like the other exports with static storage.
struct EntryTable {
    std::array<Entry, entry_capacity> entries;
    std::array<std::uint8_t, entry_capacity> order;  // slots, greatest name first
    std::size_t count;
};

EntryTable table;

static_assert(entry_capacity <= 256, "slots fit the order's bytes");

// Equal but for the case of the ASCII letters; other bytes are compared as they are, so
// that no locale decides whether two values are the same. The second byte of a double-byte
// character is never folded, whatever it is: folded, it would make ア (83 41) and ヂ (83 61)
// in code page 932 one character, and two different paths one value.
bool same_folded(const char* left, const char* right, const platform::LeadBytes& lead_bytes) {
    for (;;) {
        const char* next = lead_bytes.after_character(left);
        if (next - left == 2) {
            if (left[0] != right[0] || left[1] != right[1]) return false;
        } else if (characters::to_upper(*left) != characters::to_upper(*right)) {
            return false;
        } else if (*left == '\0') {
            return true;
        }
        right += next - left;
        left = next;
    }
}

// strcmp compares bytes as unsigned values and lets the terminating zero take part, so a
// proper prefix is the smaller text: the byte-wise order of names and bounds.
bool greater_name(const char* left, const char* right) {
    return std::strcmp(left, right) > 0;
}

template <std::size_t Size>
void copy_text(std::array<char, Size>& destination, const char* text) {
    const std::size_t length = std::min(std::strlen(text), Size - 1);
    std::memcpy(destination.data(), text, length);
    destination[length] = '\0';
}

bool read_request(const HostCallRecord* record, Request& request) {
    request.view = vantrel::read_registry_view(record);
    request.lead_bytes = platform::ansi_lead_bytes();
    return vantrel::read_whole_variable(record, "REGISTRY_KEY", request.key_path) &&
           vantrel::read_whole_variable(record, "REGISTRY_MIN", request.lower_bound) &&
           vantrel::read_whole_variable(record, "REGISTRY_CRT", request.value_name);
}

// The subkey's value as text: up to its first zero byte or, for data without one, up to
// the byte count the query returned. False when the subkey cannot be opened or the value
// cannot be read (missing, or more than 1024 bytes).
bool read_value_text(platform::RegistryKey main_key, const char* subkey, const Request& request,
                     ValueText& text) {
    platform::RegistryKey key = platform::open_subkey(main_key, subkey, platform::KeyAccess::read, request.view);
    if (key == nullptr) return false;
    std::uint32_t size = value_query_bytes;
    const bool read = platform::read_value(key, request.value_name.data(), reinterpret_cast<unsigned char*>(text.data()), size);
    platform::close_key(key);
    // The registry refuses a value larger than the room given rather than return it, so the
    // size test only restates that.
    if (!read || size > value_query_bytes) return false;
    text[size] = '\0';
    return true;
}

// Decided on the name alone, so that such subkeys cost no registry reads.
bool name_admitted(const char* name, const Request& request) {
    return !greater_name(request.lower_bound.data(), name) && !same_folded(name, "CurrentVersion", request.lead_bytes);
}

// The slot of the entry with the least name, which a greater name takes over when the
// table is full.
std::size_t least_name_slot() {
    std::size_t least = 0;
    for (std::size_t slot = 1; slot < table.count; ++slot) {
        if (greater_name(table.entries[least].name.data(), table.entries[slot].name.data())) least = slot;
    }
    return least;
}

// The first entry whose value matches keeps the greatest name; a new value makes a new
// entry while the table has room. A full table keeps the greatest names, those a script
// reads first: a new value with a name greater than the least one listed replaces that
// entry, whatever order the subkeys come in. An entry is only ever replaced by a greater
// name, so once a name has been passed over, every name kept is greater than it, and the
// table ends with the values whose greatest names are the greatest.
void record_subkey(const char* name, const ValueText& value, const platform::LeadBytes& lead_bytes) {
    for (std::size_t slot = 0; slot < table.count; ++slot) {
        Entry& entry = table.entries[slot];
        if (!same_folded(entry.value.data(), value.data(), lead_bytes)) continue;
        if (greater_name(name, entry.name.data())) copy_text(entry.name, name);
        return;
    }
    std::size_t slot = table.count;
    if (table.count == entry_capacity) {
        slot = least_name_slot();
        if (!greater_name(name, table.entries[slot].name.data())) return;
    } else {
        ++table.count;
    }
    Entry& entry = table.entries[slot];
    copy_text(entry.name, name);
    copy_text(entry.value, value.data());
}

// Enumeration ends at the first index the registry does not answer, normally the end.
void collect_one_subkey_per_value(platform::RegistryKey main_key, const Request& request) {
    table.count = 0;
    Name name;
    ValueText value;
    for (std::uint32_t index = 0; platform::subkey_name(main_key, index, name.data(), name.size()); ++index) {
        if (!name_admitted(name.data(), request)) continue;
        if (!read_value_text(main_key, name.data(), request, value)) continue;
        if (value[0] == '\0') continue;
        record_subkey(name.data(), value, request.lead_bytes);
    }
}

void sort_by_name() {
    for (std::size_t slot = 0; slot < table.count; ++slot) table.order[slot] = static_cast<std::uint8_t>(slot);
    std::sort(table.order.begin(), table.order.begin() + table.count, [](std::uint8_t left, std::uint8_t right) {
        return greater_name(table.entries[left].name.data(), table.entries[right].name.data());
    });
}

bool value_listed_before(std::size_t position) {
    const char* value = table.entries[table.order[position]].value.data();
    for (std::size_t earlier = 0; earlier < position; ++earlier) {
        const Entry& entry = table.entries[table.order[earlier]];
        if (entry.readable && std::strcmp(entry.value.data(), value) == 0) return true;
    }
    return false;
}

// The registry may have changed since collection. Each entry's current value is read once:
// an entry whose value can no longer be read would not have qualified and is dropped, and
// one whose value now equals, byte for byte, that of an entry before it is dropped too.
void drop_changed_entries(platform::RegistryKey main_key, const Request& request) {
    for (std::size_t position = 0; position < table.count; ++position) {
        Entry& entry = table.entries[table.order[position]];
        entry.readable = read_value_text(main_key, entry.name.data(), request, entry.value);
        entry.listed = entry.readable && !value_listed_before(position);
    }
}

// Only whole names go into the list: the first that does not fit with its "\r" ends it.
void join_names(HostText& output) {
    std::size_t length = 0;
    for (std::size_t position = 0; position < table.count; ++position) {
        const Entry& entry = table.entries[table.order[position]];
        if (!entry.listed) continue;
        const std::size_t name_length = std::strlen(entry.name.data());
        if (length + name_length + 1 > output.size() - 1) break;
        std::memcpy(output.data() + length, entry.name.data(), name_length);
        length += name_length;
        output[length++] = '\r';
    }
    output[length] = '\0';
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GetRegKeys(HostCallRecord* record) noexcept {
    Request request;
    platform::RegistryKey main_key = nullptr;
    if (read_request(record, request)) {
        main_key = platform::open_machine_key(request.key_path.data(), platform::KeyAccess::enumerate, request.view);
    }
    if (main_key == nullptr) {
        hostcall::write_result(record, "");
        return 0;
    }
    collect_one_subkey_per_value(main_key, request);
    sort_by_name();
    drop_changed_entries(main_key, request);
    platform::close_key(main_key);
    HostText output;
    join_names(output);
    hostcall::write_result(record, output.data());
    return 1;
}
