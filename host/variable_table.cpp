// The host's variable table with guard bytes around its slots.
#include "host/variable_table.h"

#include <algorithm>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define VANTREL_POISON_GUARDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTREL_POISON_GUARDS 1
#endif
#endif

#if defined(VANTREL_POISON_GUARDS)
extern "C" void __asan_poison_memory_region(void const volatile* address, std::size_t size);
extern "C" void __asan_unpoison_memory_region(void const volatile* address, std::size_t size);
#endif

namespace host {
namespace {

constexpr std::size_t guard_size = 64;
constexpr char guard_byte = '\xA5';

std::vector<char> guarded_region(std::uint32_t slots, std::uint32_t width) {
    std::vector<char> region(guard_size * 2 + static_cast<std::size_t>(slots) * width, '\0');
    std::fill_n(region.begin(), guard_size, guard_byte);
    std::fill_n(region.end() - guard_size, guard_size, guard_byte);
    return region;
}

// Under AddressSanitizer the guards are poisoned as well, so that a read past the last
// slot is caught where it happens, not only a write found afterwards.
void poison_guards(const std::vector<char>& region, bool poisoned) {
#if defined(VANTREL_POISON_GUARDS)
    for (const char* guard : {region.data(), region.data() + region.size() - guard_size}) {
        if (poisoned) __asan_poison_memory_region(guard, guard_size);
        else __asan_unpoison_memory_region(guard, guard_size);
    }
#else
    (void)region;
    (void)poisoned;
#endif
}

bool guards_hold(const std::vector<char>& region) {
    const auto is_guard = [](char c) { return c == guard_byte; };
    return std::all_of(region.begin(), region.begin() + guard_size, is_guard) &&
           std::all_of(region.end() - guard_size, region.end(), is_guard);
}

void copy_cut(char* slot, std::uint32_t width, const std::string& text) {
    if (width == 0) return;
    const std::size_t length = std::min<std::size_t>(text.size(), width - 1);
    std::memcpy(slot, text.data(), length);
    slot[length] = '\0';
}

}  // namespace

VariableTable::VariableTable(TableShape shape)
    : shape_(shape),
      names_(guarded_region(shape.capacity, shape.name_width)),
      values_(guarded_region(shape.capacity, shape.value_width)) {
    record_.capacity = shape.capacity;
    record_.name_width = shape.name_width;
    record_.value_width = shape.value_width;
    record_.count = 0;
    record_.names = names_.data() + guard_size;
    record_.values = values_.data() + guard_size;
    poison_guards(names_, true);
    poison_guards(values_, true);
}

VariableTable::~VariableTable() {
    poison_guards(names_, false);
    poison_guards(values_, false);
}

std::string VariableTable::slot_text(const std::vector<char>& region, std::uint32_t slot,
                                     std::uint32_t width) const {
    const char* start = region.data() + guard_size + static_cast<std::size_t>(slot) * width;
    const void* end = std::memchr(start, '\0', width);
    return std::string(start, end ? static_cast<const char*>(end) - start : width);
}

std::optional<std::uint32_t> VariableTable::find(const std::string& wrapped) const {
    const std::uint32_t in_use = std::min(record_.count, shape_.capacity);
    for (std::uint32_t slot = 0; slot < in_use; ++slot) {
        if (slot_text(names_, slot, shape_.name_width) == wrapped) return slot;
    }
    return std::nullopt;
}

bool VariableTable::set(const std::string& bare_name, const std::string& value) {
    const std::string wrapped = "%" + bare_name + "%";
    std::optional<std::uint32_t> slot = find(wrapped);
    if (!slot) {
        if (record_.count >= shape_.capacity || wrapped.size() + 1 > shape_.name_width) return false;
        slot = record_.count++;
        copy_cut(record_.names + static_cast<std::size_t>(*slot) * shape_.name_width,
                 shape_.name_width, wrapped);
    }
    copy_cut(record_.values + static_cast<std::size_t>(*slot) * shape_.value_width,
             shape_.value_width, value);
    return true;
}

std::optional<std::string> VariableTable::get(const std::string& bare_name) const {
    const std::optional<std::uint32_t> slot = find("%" + bare_name + "%");
    if (!slot) return std::nullopt;
    return slot_text(values_, *slot, shape_.value_width);
}

std::vector<std::pair<std::string, std::string>> VariableTable::variables() const {
    std::vector<std::pair<std::string, std::string>> all;
    const std::uint32_t in_use = std::min(record_.count, shape_.capacity);
    for (std::uint32_t slot = 0; slot < in_use; ++slot) {
        all.emplace_back(slot_text(names_, slot, shape_.name_width),
                         slot_text(values_, slot, shape_.value_width));
    }
    return all;
}

HostCallRecord& VariableTable::record(const std::string& result_name) {
    result_name_ = result_name;
    record_.result_name = result_name_.c_str();
    return record_;
}

bool VariableTable::guards_intact() const {
    poison_guards(names_, false);
    poison_guards(values_, false);
    const bool intact = guards_hold(names_) && guards_hold(values_);
    poison_guards(names_, true);
    poison_guards(values_, true);
    return intact;
}

}  // namespace host
