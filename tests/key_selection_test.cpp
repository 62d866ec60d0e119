// MapRegKeys: lines of a key list picked by letter.
#include <gtest/gtest.h>

#include <string>

#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

const char* const three_versions = "6.0\r5.5\r5.0\r";

// "L01\r" ... "L30\r": thirty lines, four more than there are letters.
std::string thirty_lines() {
    std::string text;
    for (int i = 1; i <= 30; ++i) text += (i < 10 ? "L0" : "L") + std::to_string(i) + "\r";
    return text;
}

// The first 26 lines of thirty_lines(), each followed by "&".
std::string first_26_selected() {
    std::string text;
    for (int i = 1; i <= 26; ++i) text += (i < 10 ? "L0" : "L") + std::to_string(i) + "&";
    return text;
}

struct SelectionCase {
    const char* label;
    std::string list;
    const char* selection;
    std::string expected;
};

const SelectionCase selection_cases[] = {
    {"first_and_third", three_versions, "AC", "6.0&5.0&"},
    {"list_order_not_selection_order", three_versions, "CA", "6.0&5.0&"},
    {"all_three", three_versions, "ABC", "6.0&5.5&5.0&"},
    {"repeated_letter_once", three_versions, "AAB", "6.0&5.5&"},
    {"other_characters_ignored", three_versions, "A,B", "6.0&5.5&"},
    {"small_letters_select_nothing", three_versions, "ac", ""},
    {"letter_past_the_list", three_versions, "D", ""},
    {"empty_selection", three_versions, "", ""},
    {"unterminated_tail_ignored", "6.0\r5.5", "AB", "6.0&"},
    {"no_carriage_return", "6.0", "A", ""},
    {"empty_lines", "\r\rx\r", "ABC", "&&x&"},
    {"empty_list", "", "A", ""},
    {"line_feed_is_a_character", "a\nb\rc\r", "AB", "a\nb&c&"},
    {"long_line_selected_whole", std::string(300, 'v') + "\r5.0\r", "AB", std::string(300, 'v') + "&5.0&"},
    {"twenty_sixth_line_by_z", thirty_lines(), "Z", "L26&"},
    {"lines_past_26th_never_selected", thirty_lines(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ", first_26_selected()},
};

class KeySelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(KeySelection, PicksLinesByLetter) {
    const SelectionCase& c = GetParam();
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEYS", c.list);
    host.set("REGISTRY_SEL", c.selection);
    EXPECT_EQ(host.call("MapRegKeys"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeySelection, ::testing::ValuesIn(selection_cases), testing_support::by_label);

}  // namespace
