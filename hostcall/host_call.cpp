// Reading and writing the host's script variables through the host call record.
#include "hostcall/host_call.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

// The 32-bit host lays its record out with these offsets; a change here would make every
// export read the wrong fields.
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, capacity) == 8, "capacity at 8");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, name_width) == 12, "name width at 12");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, value_width) == 16, "value width at 16");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, count) == 20, "count at 20");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, names) == 24, "names at 24");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, values) == 28, "values at 28");
static_assert(sizeof(void*) != 4 || offsetof(HostCallRecord, result_name) == 40, "result name at 40");

namespace hostcall {
namespace {

using WrappedName = std::array<char, max_bare_name_length + 3>;

// Length of text, looking at no more than limit bytes.
std::size_t bounded_length(const char* text, std::size_t limit) noexcept {
    const void* end = std::memchr(text, '\0', limit);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : limit;
}

// Builds "%NAME%". A longer bare name is refused rather than cut, since the cut form
// would name some other variable.
bool wrap_name(const char* bare_name, WrappedName& wrapped) noexcept {
    if (bare_name == nullptr) return false;
    const std::size_t length = bounded_length(bare_name, max_bare_name_length + 1);
    if (length > max_bare_name_length) return false;
    wrapped[0] = '%';
    std::memcpy(wrapped.data() + 1, bare_name, length);
    wrapped[length + 1] = '%';
    wrapped[length + 2] = '\0';
    return true;
}

bool table_usable(const HostCallRecord* record) noexcept {
    return record != nullptr && record->names != nullptr && record->values != nullptr;
}

// A count above capacity can only be a host fault; never walk past the table.
std::uint32_t slots_in_use(const HostCallRecord& record) noexcept {
    return std::min(record.count, record.capacity);
}

char* name_slot(const HostCallRecord& record, std::uint32_t slot) noexcept {
    return record.names + static_cast<std::size_t>(slot) * record.name_width;
}

char* value_slot(const HostCallRecord& record, std::uint32_t slot) noexcept {
    return record.values + static_cast<std::size_t>(slot) * record.value_width;
}

// A slot whose name is not terminated within its width holds no name we could be asked
// for, and is never read past its end.
bool slot_holds_name(const HostCallRecord& record, std::uint32_t slot, const char* wrapped) noexcept {
    const char* name = name_slot(record, slot);
    if (std::memchr(name, '\0', record.name_width) == nullptr) return false;
    return platform::same_text(name, wrapped);
}

// The first slot holding the name, or slots_in_use() when there is none.
std::uint32_t find_slot(const HostCallRecord& record, const char* wrapped) noexcept {
    const std::uint32_t in_use = slots_in_use(record);
    for (std::uint32_t slot = 0; slot < in_use; ++slot) {
        if (slot_holds_name(record, slot, wrapped)) return slot;
    }
    return in_use;
}

// Copies text into a slot of the given width, cut to fit with its terminating zero.
void copy_into_slot(char* slot, std::size_t width, const char* text) noexcept {
    if (width == 0) return;  // never taken: both callers refuse a width of 0 first
    const std::size_t length = std::min(std::strlen(text), width - 1);
    std::memmove(slot, text, length);
    slot[length] = '\0';
}

bool create_variable(HostCallRecord& record, std::uint32_t slot, const WrappedName& wrapped) noexcept {
    if (slot >= record.capacity) return false;
    if (std::strlen(wrapped.data()) + 1 > record.name_width) return false;
    copy_into_slot(name_slot(record, slot), record.name_width, wrapped.data());
    record.count = slot + 1;
    return true;
}

}  // namespace

std::size_t read_host_variable(const HostCallRecord* record, const char* bare_name,
                               char* destination, std::size_t destination_size) noexcept {
    // Never taken by the exports, which always read into a buffer of their own.
    if (destination == nullptr || destination_size == 0) return 0;
    destination[0] = '\0';
    WrappedName wrapped;
    if (!table_usable(record) || !wrap_name(bare_name, wrapped)) return 0;
    const std::uint32_t slot = find_slot(*record, wrapped.data());
    if (slot == slots_in_use(*record)) return 0;
    const char* value = value_slot(*record, slot);
    const std::size_t length = bounded_length(value, record->value_width);
    const std::size_t copied = std::min(length, destination_size - 1);
    std::memcpy(destination, value, copied);
    destination[copied] = '\0';
    return length;
}

void write_host_variable(HostCallRecord* record, const char* bare_name, const char* text) noexcept {
    WrappedName wrapped;
    if (!table_usable(record) || !wrap_name(bare_name, wrapped)) return;
    if (record->value_width == 0) return;  // slots that cannot hold even the terminating zero
    const std::uint32_t slot = find_slot(*record, wrapped.data());
    if (slot == slots_in_use(*record) && !create_variable(*record, slot, wrapped)) return;
    // Never taken: no export passes a null text.
    copy_into_slot(value_slot(*record, slot), record->value_width, text ? text : "");
}

void write_result(HostCallRecord* record, const char* text) noexcept {
    if (record == nullptr) return;
    write_host_variable(record, record->result_name, text);
}

}  // namespace hostcall
