// GetRegKey: the subkey at an index, for the indexes a script may pass.
#include <gtest/gtest.h>

#include <string>

#include "support/registry_fixture.h"
#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

using testing_support::subkey_lines;

const char* const walked_key = "SOFTWARE\\VantrelTest\\Walk";
// The longest name the registry allows a subkey, the only subkey of SOFTWARE\VantrelTest\Long.
const std::string long_subkey(255, 'n');

struct LookupCase {
    const char* label;
    const char* index;  // nullptr: REGISTRY_ITER unset
    const char* expected;
    std::int32_t returned;
    const char* key = walked_key;
};

const LookupCase lookup_cases[] = {
    {"first", "0", "A", 1},
    {"last", "2", "C", 1},
    {"past_the_end", "3", "", 0},
    {"unset_reads_as_zero", nullptr, "A", 1},
    {"not_a_number_reads_as_zero", "abc", "A", 1},
    {"negative_is_no_subkey", "-1", "", 0},
    {"leading_space", " 2", "C", 1},
    {"leading_plus", "+1", "B", 1},
    {"leading_tab", "\t2", "C", 1},
    {"leading_line_breaks", "\r\n1", "B", 1},
    {"minus_zero_is_zero", "-0", "A", 1},
    {"trailing_text_ignored", "1st", "B", 1},
    {"read_past_nine_characters", "00000000001", "B", 1},
    {"largest_index_is_no_subkey", "2147483647", "", 0},
    {"not_cut_to_32_bits_to_zero", "4294967296", "", 0},
    {"not_cut_to_32_bits_to_one", "-4294967295", "", 0},
    {"key_missing", "0", "", 0, "SOFTWARE\\VantrelTest\\Missing"},
    {"name_of_255_characters", "0", long_subkey.c_str(), 1, "SOFTWARE\\VantrelTest\\Long"},
};

class SubkeyLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(SubkeyLookup, NamesSubkeyAtIndex) {
    const LookupCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(walked_key, {"C", "A", "B"}) +
                     subkey_lines("SOFTWARE\\VantrelTest\\Long", {long_subkey}));
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", c.key);
    if (c.index != nullptr) host.set("REGISTRY_ITER", c.index);
    EXPECT_EQ(host.call("GetRegKey"), c.returned);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyLookup, ::testing::ValuesIn(lookup_cases), testing_support::by_label);

// The walk a script does: index 0, 1, ... until the call fails, each name exactly once.
TEST(SubkeyLookupWalk, SeesEverySubkeyOnce) {
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(walked_key, {"5.0", "CurrentVersion", "5.10", "6.0", "5.5"}));
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", walked_key);
    std::string walked;
    for (int index = 0; index < 10; ++index) {
        host.set("REGISTRY_ITER", std::to_string(index));
        if (host.call("GetRegKey") == 0) {
            EXPECT_EQ(host.result(), "");
            break;
        }
        walked += host.result() + ";";
    }
    EXPECT_EQ(walked, "5.0;5.10;5.5;6.0;CurrentVersion;");
}

TEST(SubkeyLookupFault, FailingEnumerationIsNoSubkey) {
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(walked_key, {"A", "B", "C"}));
    if (!testing_support::inject_registry_faults("enumerate#1")) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", walked_key);
    host.set("REGISTRY_ITER", "1");
    EXPECT_EQ(host.call("GetRegKey"), 0);
    EXPECT_EQ(host.result(), "");
    host.set("REGISTRY_ITER", "2");
    EXPECT_EQ(host.call("GetRegKey"), 1);
    testing_support::clear_registry_faults();
    EXPECT_EQ(host.result(), "C");
}

}  // namespace
