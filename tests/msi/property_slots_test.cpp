// The Windows Installer custom actions, linked here with a stand-in of the session's
// properties in place of msi.dll's. What MsiGetPropertyA leaves in a buffer too small for a
// property is not promised: Wine fills it with the property's start, a Windows may leave it
// as it was (the last action's value) or hold anything. A row runs an action once with
// short properties, so that the slots hold them, then again with one property longer than
// its slot (2047 characters), the stand-in doing one of those things. This file is used for
// Windows only.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstring>
#include <map>
#include <string>

#include "integrations/msi/custom_actions.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

// What the stand-in does with a buffer too small for the property.
enum class TooSmall {
    fills_with_start,  // as Wine: the property's start, cut to the buffer
    leaves_alone,      // the buffer as it was
    empties,           // "" in the buffer
    never_fits,        // for a property longer than a slot, ERROR_MORE_DATA whatever the room
};

// Longer than every slot of the custom actions but GetHW's.
constexpr std::size_t longer_than_slot = 2048;

struct StandinSession {
    std::map<std::string, std::string> properties;
    TooSmall too_small = TooSmall::fills_with_start;
};

StandinSession session;

}  // namespace

extern "C" UINT WINAPI MsiGetPropertyA(MSIHANDLE, LPCSTR name, LPSTR buffer, DWORD* size) {
    const auto found = session.properties.find(name);
    const std::string value = found != session.properties.end() ? found->second : "";
    const bool never_fits = session.too_small == TooSmall::never_fits && value.size() >= longer_than_slot;
    if (value.size() < *size && !never_fits) {
        std::memcpy(buffer, value.c_str(), value.size() + 1);
        *size = static_cast<DWORD>(value.size());
        return ERROR_SUCCESS;
    }
    if (*size > 0 && session.too_small == TooSmall::fills_with_start) {
        std::memcpy(buffer, value.data(), *size - 1);
        buffer[*size - 1] = '\0';
    } else if (*size > 0 && session.too_small == TooSmall::empties) {
        buffer[0] = '\0';
    }
    *size = static_cast<DWORD>(value.size());
    return ERROR_MORE_DATA;
}

extern "C" UINT WINAPI MsiSetPropertyA(MSIHANDLE, LPCSTR name, LPCSTR value) {
    session.properties[name] = value;
    return ERROR_SUCCESS;
}

namespace {

using Properties = std::map<std::string, std::string>;

struct PropertySlotCase {
    const char* label;
    TooSmall too_small;
    UINT (STDCALL_ABI* action)(MSIHANDLE);
    Properties earlier;  // the action's properties the first time
    Properties now;      // and the second
    const char* answer;    // VANTREL_ANSWER afterwards
    const char* returned;  // VANTREL_RETURN afterwards
};

const std::string overlong_selection(3000, 'A');
// A version far above 5.0: cut to its slot it is still 2047 nines.
const std::string overlong_version(3000, '9');

const Properties map_earlier = {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "AC"}};
const Properties map_now = {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", overlong_selection}};
const Properties compare_earlier = {{"STRING_1", "5.0"}, {"STRING_2", "1.0"}, {"VANTREL_ANSWER", "untouched"}};
const Properties compare_now = {{"STRING_1", "5.0"}, {"STRING_2", overlong_version}, {"VANTREL_ANSWER", "untouched"}};

const PropertySlotCase property_slot_cases[] = {
    // A selection longer than its slot is refused, never read as the last action's.
    {"selection_refused_buffer_filled", TooSmall::fills_with_start, MapRegKeysAction, map_earlier, map_now, "", "1"},
    {"selection_refused_buffer_left_alone", TooSmall::leaves_alone, MapRegKeysAction, map_earlier, map_now, "", "1"},
    {"selection_refused_never_read_whole", TooSmall::never_fits, MapRegKeysAction, map_earlier, map_now, "", "1"},
    // STRING_2 is cut, as from any host: 5.0 is below it, whatever the buffer held.
    {"version_cut_buffer_filled", TooSmall::fills_with_start, GreaterEqualAction, compare_earlier, compare_now, "untouched", "0"},
    {"version_cut_buffer_left_alone", TooSmall::leaves_alone, GreaterEqualAction, compare_earlier, compare_now, "untouched", "0"},
    {"version_cut_buffer_emptied", TooSmall::empties, GreaterEqualAction, compare_earlier, compare_now, "untouched", "0"},
};

class PropertySlots : public ::testing::TestWithParam<PropertySlotCase> {};

TEST_P(PropertySlots, OverlongPropertyReadAlike) {
    const PropertySlotCase& c = GetParam();
    session = StandinSession{c.earlier, c.too_small};
    ASSERT_EQ(c.action(0), static_cast<UINT>(ERROR_SUCCESS));
    for (const auto& [name, value] : c.now) session.properties[name] = value;
    EXPECT_EQ(c.action(0), static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_EQ(session.properties["VANTREL_ANSWER"], c.answer);
    EXPECT_EQ(session.properties["VANTREL_RETURN"], c.returned);
}

INSTANTIATE_TEST_SUITE_P(Actions, PropertySlots, ::testing::ValuesIn(property_slot_cases), testing_support::by_label);

}  // namespace
