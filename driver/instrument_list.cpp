// GetHW: the instruments connected to the machine, as the VISA library lists them: every
// resource matching "?*INSTR", one descriptor a line, separated by "\r\n". VISA is loaded
// for each call and released before it returns, so machines without VISA get "".
#include <array>
#include <cstdint>
#include <cstring>

#include "driver/visa_api.h"
#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/loader.h"

namespace {

// Room for 63 descriptors of the longest kind VISA reports (255 characters) with their
// separators, and a 64th of up to 192 characters.
constexpr std::size_t list_capacity = 16 * 1024;
constexpr char separator[] = "\r\n";

// Static: the answer can be larger than a comfortable stack frame. Emptied at the start of
// every call, so a shorter list never shows the tail of a longer one before it.
std::array<char, list_capacity> instrument_list;

// Appends whole descriptors only: one that does not fit with its separator ends the list
// (the caller stops at the first refusal), so the list is always well formed and never
// written past its end.
class ListWriter {
public:
    explicit ListWriter(std::array<char, list_capacity>& list) : list_(list) { list_[0] = '\0'; }

    bool append(const char* descriptor) {
        const std::size_t separator_length = length_ == 0 ? 0 : sizeof separator - 1;
        const std::size_t descriptor_length = std::strlen(descriptor);
        if (length_ + separator_length + descriptor_length + 1 > list_.size()) return false;
        std::memcpy(list_.data() + length_, separator, separator_length);
        std::memcpy(list_.data() + length_ + separator_length, descriptor, descriptor_length + 1);
        length_ += separator_length + descriptor_length;
        return true;
    }

private:
    std::array<char, list_capacity>& list_;
    std::size_t length_ = 0;
};

struct VisaEntryPoints {
    visa::OpenDefaultRM open_default_rm;
    visa::FindRsrc find_rsrc;
    visa::FindNext find_next;
    visa::Close close;
};

template <typename Function>
Function look_up(platform::LibraryHandle library, const char* name) {
    return reinterpret_cast<Function>(platform::find_symbol(library, name));
}

bool look_up_entry_points(platform::LibraryHandle library, VisaEntryPoints& visa) {
    visa.open_default_rm = look_up<visa::OpenDefaultRM>(library, "viOpenDefaultRM");
    visa.close = look_up<visa::Close>(library, "viClose");
    if (visa.open_default_rm == nullptr || visa.close == nullptr) return false;
    visa.find_rsrc = look_up<visa::FindRsrc>(library, "viFindRsrc");
    visa.find_next = look_up<visa::FindNext>(library, "viFindNext");
    return visa.find_rsrc != nullptr && visa.find_next != nullptr;
}

// Reads the first matching descriptor and then count - 1 more, stopping at the first
// failing viFindNext (its buffer then holds nothing new) or when the list is full.
void list_resources(const VisaEntryPoints& visa, visa::FindList find_list, std::uint32_t count,
                    std::array<char, visa::find_buffer_size>& descriptor, ListWriter& list) {
    descriptor.back() = '\0';
    // Never refused: the first descriptor, at most 255 characters, always fits the empty list.
    if (!list.append(descriptor.data())) return;
    for (std::uint32_t i = 1; i < count; ++i) {
        descriptor[0] = '\0';
        if (visa.find_next(find_list, descriptor.data()) < visa::success) return;
        descriptor.back() = '\0';
        if (!list.append(descriptor.data())) return;
    }
}

// Opens the resource manager, finds the instruments and closes exactly the handles it
// obtained: the find list first, then the session.
void find_instruments(const VisaEntryPoints& visa, ListWriter& list) {
    visa::Session session = 0;
    if (visa.open_default_rm(&session) < visa::success || session == 0) return;
    char expression[] = "?*INSTR";
    visa::FindList find_list = 0;
    std::uint32_t count = 0;
    std::array<char, visa::find_buffer_size> descriptor{};
    if (visa.find_rsrc(session, expression, &find_list, &count, descriptor.data()) >= visa::success) {
        list_resources(visa, find_list, count, descriptor, list);
        if (find_list != 0) visa.close(find_list);
    }
    visa.close(session);
}

}  // namespace

EXPORT_ABI std::int32_t STDCALL_ABI GetHW(HostCallRecord* record) noexcept {
    ListWriter list(instrument_list);
    platform::LibraryHandle library = platform::load_visa_library();
    if (library != nullptr) {
        VisaEntryPoints visa{};
        if (look_up_entry_points(library, visa)) find_instruments(visa, list);
        platform::free_library(library);
    }
    hostcall::write_result(record, instrument_list.data());
    return 1;
}
