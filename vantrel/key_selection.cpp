// MapRegKeys: picks lines out of a key list by letter (A the first line, ... Z the 26th)
// and hands them back in list order, each followed by "&".
#include <array>
#include <cstdint>
#include <cstring>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/text.h"
#include "vantrel/whole_variable.h"

namespace {

// A key list from GetRegKeys holds up to 1023 characters.
constexpr std::size_t list_capacity = 1024;
constexpr std::size_t selection_capacity = 1024;
constexpr std::size_t letter_count = 26;

using Letters = std::array<bool, letter_count>;

// Only capital letters select; every other character of the selection is ignored, a
// double-byte character whole: the second byte of ア in code page 932 is 41, an 'A' only
// when read as a byte.
Letters selected_letters(const char* selection, const platform::LeadBytes& lead_bytes) {
    Letters letters{};
    for (; *selection != '\0'; selection = lead_bytes.after_character(selection)) {
        if (*selection >= 'A' && *selection <= 'Z') letters[static_cast<std::size_t>(*selection - 'A')] = true;
    }
    return letters;
}

// Lines end at "\r" alone; text after the last "\r" is not a line. Each selected line
// gives its characters and an "&" for the characters and the "\r" it took in the list,
// so the answer is never longer than the list; the bound below only makes that explicit.
void append_selected_lines(const char* list, const Letters& letters, std::array<char, list_capacity>& answer) {
    std::size_t length = 0;
    const char* line = list;
    for (std::size_t position = 0; position < letter_count; ++position) {
        const char* end = std::strchr(line, '\r');
        if (end == nullptr) break;
        const auto line_length = static_cast<std::size_t>(end - line);
        if (letters[position]) {
            if (length + line_length + 1 > answer.size() - 1) break;  // never taken, as said above
            std::memcpy(answer.data() + length, line, line_length);
            length += line_length;
            answer[length++] = '&';
        }
        line = end + 1;
    }
    answer[length] = '\0';
}

}  // namespace

// A list or selection longer than its buffer is not read in part: the lines or letters
// left out would change the answer. Nothing is selected then.
EXPORT_ABI std::int32_t STDCALL_ABI MapRegKeys(HostCallRecord* record) noexcept {
    std::array<char, list_capacity> list;
    std::array<char, selection_capacity> selection;
    std::array<char, list_capacity> answer;
    answer[0] = '\0';
    const bool list_whole = vantrel::read_whole_variable(record, "REGISTRY_KEYS", list);
    const bool selection_whole = vantrel::read_whole_variable(record, "REGISTRY_SEL", selection);
    if (list_whole && selection_whole) {
        append_selected_lines(list.data(), selected_letters(selection.data(), platform::ansi_lead_bytes()), answer);
    }
    hostcall::write_result(record, answer.data());
    return 1;
}
