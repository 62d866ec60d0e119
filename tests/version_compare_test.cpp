// GreaterEqual: dotted versions compared component by component, answered by the return
// value alone.
#include <gtest/gtest.h>

#include <string>

#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

// 509 characters: with "1." in front, a value of exactly 511, the most that is compared.
const std::string long_component(509, 'a');

struct CompareCase {
    const char* label;
    const char* first;   // STRING_1, or nullptr to leave it unset
    const char* second;  // STRING_2, or nullptr to leave it unset
    std::int32_t expected;
};

const CompareCase compare_cases[] = {
    {"higher_major", "6.0", "5.5", 1},
    {"lower_major", "5.5", "6.0", 0},
    {"equal", "6.0", "6.0", 1},
    {"longer_component_higher", "10.0", "9.5", 1},
    {"shorter_component_lower", "9.5", "10.0", 0},
    {"middle_component_by_length", "5.10.0", "5.9.1", 1},
    {"last_component_lower", "5.1", "5.9", 0},
    {"last_component_shorter", "5.9", "5.10", 0},
    {"last_component_longer", "5.10", "5.9", 1},
    {"third_component_lower", "6.1.2", "6.1.3", 0},
    {"third_component_higher", "6.1.3", "6.1.2", 1},
    {"second_decides_before_third", "6.1.2", "6.2.0", 0},
    {"extra_component_first", "6.0.1", "6.0", 1},
    {"extra_component_second", "6.0", "6.0.1", 1},
    {"fewer_components_but_higher", "5.5", "5.0.1", 1},
    {"more_components_but_lower", "5.0.1", "5.5", 0},
    {"single_component_higher", "6", "5.5", 1},
    {"single_component_lower", "5", "6.0", 0},
    {"against_single_component", "6.0", "7", 0},
    {"single_components_equal", "7", "7", 1},
    {"trailing_dot_first", "6.", "6.0", 1},
    {"trailing_dot_second", "6.0", "6.", 1},
    {"trailing_dot_still_compares", "5.", "6.0", 0},
    {"empty_middle_component", "5..1", "5.0.1", 0},
    {"leading_zero_longer", "06.0", "6.0", 1},
    {"leading_zero_on_second", "6.0", "06.0", 0},
    {"letters_as_bytes", "A.0", "B.0", 0},
    {"letter_case_as_bytes", "a.0", "B.0", 1},
    {"bytes_unsigned", "\xE9.0", "z.0", 1},
    {"both_empty", "", "", 0},
    {"first_empty", "", "5.5", 0},
    {"second_empty", "5.5", "", 1},
    {"first_unset", nullptr, "5.5", 0},
    {"second_unset", "5.5", nullptr, 1},
    {"both_unset", nullptr, nullptr, 0},
};

class VersionCompare : public ::testing::TestWithParam<CompareCase> {};

TEST_P(VersionCompare, AnswersByReturnValueOnly) {
    const CompareCase& c = GetParam();
    testing_support::TestHost host("vantrel");
    ASSERT_TRUE(host.loaded());
    if (c.first != nullptr) host.set("STRING_1", c.first);
    if (c.second != nullptr) host.set("STRING_2", c.second);
    EXPECT_EQ(host.call("GreaterEqual"), c.expected);
    EXPECT_EQ(host.result(), "<unset>");
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionCompare, ::testing::ValuesIn(compare_cases), testing_support::by_label);

// Values of more than 511 characters are compared on their first 511 only.
struct LongValueCase {
    const char* label;
    std::string first;
    std::string second;
    std::int32_t expected;
};

const LongValueCase long_value_cases[] = {
    {"difference_at_511th_character", "1." + long_component.substr(1) + "b", "1." + long_component.substr(1) + "c", 0},
    {"difference_past_511_unseen", "1." + long_component + ".1", "1." + long_component + ".2", 1},
    {"difference_at_512th_character_unseen", "1." + long_component + "b", "1." + long_component + "c", 1},
    {"over_long_value_cut", "2." + long_component + long_component, "10.0", 0},
};

class VersionCompareLongValue : public ::testing::TestWithParam<LongValueCase> {};

TEST_P(VersionCompareLongValue, ComparesFirst511Characters) {
    const LongValueCase& c = GetParam();
    testing_support::TestHost host("vantrel");
    host.set("STRING_1", c.first);
    host.set("STRING_2", c.second);
    EXPECT_EQ(host.call("GreaterEqual"), c.expected);
    EXPECT_EQ(host.result(), "<unset>");
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionCompareLongValue, ::testing::ValuesIn(long_value_cases), testing_support::by_label);

// The result variable keeps what it held: GreaterEqual writes no variable at all.
TEST(VersionCompareState, ResultVariableUntouched) {
    testing_support::TestHost host("vantrel");
    host.set("RESULT", "kept");
    host.set("STRING_1", "6.0");
    host.set("STRING_2", "5.5");
    EXPECT_EQ(host.call("GreaterEqual"), 1);
    EXPECT_EQ(host.result(), "kept");
    EXPECT_EQ(host.table().get("STRING_1").value_or(""), "6.0");
    EXPECT_EQ(host.table().get("STRING_2").value_or(""), "5.5");
}

}  // namespace
