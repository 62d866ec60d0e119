// GetQuendrix, GetWexo and _GetZelk@4 against registries of many shapes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/registry_fixture.h"
#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

using testing_support::subkey_lines;

const char* const quendrix = "SOFTWARE\\Korvalis\\Quendrix";
const char* const strovane = "SOFTWARE\\Korvalis\\Strovane";
const char* const pellward = "SOFTWARE\\Korvalis\\Pellward";

std::vector<std::string> numbered_subkeys(int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back(std::to_string(i) + ".0");
    return names;
}

// 2^-126, written out in full.
const std::string smallest_normal_float =
    "0.000000000000000000000000000000000000011754943508222875079687365372222456778186655567720875215087517062784172594547271728515625";

struct ProductCase {
    const char* label;
    const char* export_name;
    std::string registry;
    std::string expected;
};

const ProductCase product_cases[] = {
    {"name_with_letter_passed_over", "GetQuendrix", subkey_lines(quendrix, {"5.5", "6.0", "6.0b"}), "6.0"},
    {"compared_as_numbers", "GetQuendrix", subkey_lines(quendrix, {"5.5", "5.10"}), "5.5"},
    {"no_numeric_names", "GetQuendrix", subkey_lines(quendrix, {"CurrentVersion", "Settings"}), ""},
    {"nothing_above_zero", "GetQuendrix", subkey_lines(quendrix, {"0", "-1"}), ""},
    {"tie_goes_to_later_subkey", "GetQuendrix", subkey_lines(quendrix, {"6.0", "6.00"}), "6.00"},
    {"three_components_kept_as_spelled", "GetQuendrix", subkey_lines(quendrix, {"5.5", "6.0.1"}), "6.0.1"},
    {"leading_zero_kept", "GetQuendrix", subkey_lines(quendrix, {"05.5", "5.0"}), "05.5"},
    {"leading_space_read", "GetQuendrix", subkey_lines(quendrix, {" 7.5", "7.0"}), " 7.5"},
    {"plus_sign_and_bare_fraction", "GetQuendrix", subkey_lines(quendrix, {".5", "+0.7"}), "+0.7"},
    {"digits_past_float_precision", "GetQuendrix", subkey_lines(quendrix, {"5.49999999999999999999999", "5.5"}), "5.5"},
    {"huge_number", "GetQuendrix", subkey_lines(quendrix, {"9.9", std::string(60, '9')}), std::string(60, '9')},
    {"leading_tab_read", "GetQuendrix", subkey_lines(quendrix, {"\t7.5", "7.0"}), "\t7.5"},
    {"leading_carriage_return_read", "GetQuendrix", subkey_lines(quendrix, {"\r7.5", "7.0"}), "\r7.5"},
    {"name_of_255_characters", "GetQuendrix", subkey_lines(quendrix, {"7.0", "8." + std::string(253, '0')}),
     "8." + std::string(253, '0')},
    {"control_character_is_no_space", "GetQuendrix", subkey_lines(quendrix, {"\x01" "9.0", "5.0"}), "5.0"},
    {"exact_power_of_two_shift", "GetQuendrix", subkey_lines(quendrix, {"0.005", "0.004"}), "0.005"},
    {"integer_of_25_bits", "GetQuendrix", subkey_lines(quendrix, {"20000000", "15000000"}), "20000000"},
    {"integer_carried_into_a_second_limb", "GetQuendrix", subkey_lines(quendrix, {"5000000000", "4000000000"}), "5000000000"},
    {"more_than_128_integer_digits", "GetQuendrix", subkey_lines(quendrix, {std::string(130, '9'), "9.9"}), std::string(130, '9')},
    {"more_than_128_digits_ending_in_zeros", "GetQuendrix", subkey_lines(quendrix, {"1" + std::string(129, '0'), "9.9"}), "1" + std::string(129, '0')},
    {"beyond_the_float_range_by_the_exponent", "GetQuendrix",
     subkey_lines(quendrix, {"350000000000000000000000000000000000000", "0340282356779733661637539395458142568447"}),
     "350000000000000000000000000000000000000"},
    {"far_below_the_smallest_float", "GetQuendrix", subkey_lines(quendrix, {"0." + std::string(50, '0') + "1"}), ""},
    {"bare_fraction_against_zero_point", "GetQuendrix", subkey_lines(quendrix, {".5", "0.4"}), ".5"},
    {"letters_at_range_ends_passed_over", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0A", "7.1Z", "7.2a", "7.3z"}), "6.0"},
    {"at_sign_is_no_letter", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0@"}), "7.0@"},
    {"bracket_is_no_letter", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0["}), "7.0["},
    {"backquote_is_no_letter", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0`"}), "7.0`"},
    {"brace_is_no_letter", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0{"}), "7.0{"},
    {"tilde_is_no_letter", "GetQuendrix", subkey_lines(quendrix, {"6.0", "7.0~"}), "7.0~"},
    // Rounding edges. A name reads as the float nearest it; among names reading as the same
    // float the later subkey wins, so the second name of each row ("0...", enumerated first)
    // wins only when the first reads lower.
    {"rounded_once_below_half", "GetQuendrix", subkey_lines(quendrix, {"115138235.99999999", "0115138240"}), "0115138240"},
    {"just_above_half_rounds_up", "GetQuendrix", subkey_lines(quendrix, {"16777217.000000000001", "016777218"}), "16777217.000000000001"},
    {"exactly_half_rounds_to_even", "GetQuendrix", subkey_lines(quendrix, {"16777219", "016777220"}), "16777219"},
    {"digit_past_the_30th_decides", "GetQuendrix", subkey_lines(quendrix, {"33554434.0000000000000000000001", "033554436"}), "33554434.0000000000000000000001"},
    {"zeros_past_the_30th_decide_nothing", "GetQuendrix", subkey_lines(quendrix, {"33554434.0000000000000000000000", "033554436"}), "033554436"},
    {"largest_float_below_half_to_infinity", "GetQuendrix",
     subkey_lines(quendrix, {"340282356779733661637539395458142568447", "0340282356779733661637539395458142568448"}),
     "0340282356779733661637539395458142568448"},
    {"digit_past_the_128th_decides", "GetQuendrix",
     subkey_lines(quendrix, {"16777217." + std::string(120, '0') + "1", "016777218"}), "16777217." + std::string(120, '0') + "1"},
    {"smallest_normal_float_exactly", "GetQuendrix", subkey_lines(quendrix, {smallest_normal_float, "0"}), smallest_normal_float},
    {"smallest_float", "GetQuendrix", subkey_lines(quendrix, {"0." + std::string(45, '0') + "71", "0"}), "0." + std::string(45, '0') + "71"},
    {"below_half_the_smallest_float_is_zero", "GetQuendrix", subkey_lines(quendrix, {"0." + std::string(45, '0') + "7"}), ""},
    {"key_missing", "GetQuendrix", subkey_lines(strovane, {"9.0"}), ""},
    {"more_than_256_subkeys", "GetQuendrix", subkey_lines(quendrix, numbered_subkeys(300)), "300.0"},
    {"strovane_read_by_GetWexo", "GetWexo", subkey_lines(strovane, {"2.1", "3.4"}) + subkey_lines(quendrix, {"9.9"}), "3.4"},
    {"pellward_read_by_GetZelk", "_GetZelk@4", subkey_lines(pellward, {"1.2", "1.10"}) + subkey_lines(quendrix, {"9.9"}), "1.2"},
};

class ProductVersion : public ::testing::TestWithParam<ProductCase> {};

TEST_P(ProductVersion, ReportsHighestNumericSubkey) {
    const ProductCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(c.registry);
    testing_support::TestHost host("vantrel");
    ASSERT_TRUE(host.loaded());
    EXPECT_EQ(host.call(c.export_name), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProductVersion, ::testing::ValuesIn(product_cases), testing_support::by_label);

// A product uninstalled between two calls in the same process is no longer reported.
TEST(ProductVersionState, NoStaleAnswerAfterUninstall) {
    testing_support::RegistryFixture registry;
    testing_support::TestHost host("vantrel");
    for (const char* export_name : {"GetQuendrix", "GetWexo", "_GetZelk@4"}) {
        registry.install(subkey_lines(quendrix, {"6.0"}) + subkey_lines(strovane, {"6.0"}) +
                         subkey_lines(pellward, {"6.0"}));
        EXPECT_EQ(host.call(export_name), 1);
        EXPECT_EQ(host.result(), "6.0") << export_name;
        registry.install(subkey_lines(quendrix, {"Settings"}));
        EXPECT_EQ(host.call(export_name), 1);
        EXPECT_EQ(host.result(), "") << export_name;
    }
}

struct FaultCase {
    const char* label;
    const char* faults;
    std::vector<std::string> subkeys;
    const char* expected;
};

const FaultCase fault_cases[] = {
    {"count_unknown_tries_first_five", "count", {"1", "2", "3", "4", "5", "6", "7"}, "5"},
    {"unreadable_name_skipped", "enumerate#2", {"1", "2", "3"}, "2"},
    {"key_cannot_be_opened", "open", {"1"}, ""},
};

class ProductVersionFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ProductVersionFault, FailingRegistryCall) {
    const FaultCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(quendrix, c.subkeys));
    if (!testing_support::inject_registry_faults(c.faults)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    testing_support::clear_registry_faults();
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProductVersionFault, ::testing::ValuesIn(fault_cases), testing_support::by_label);

}  // namespace

namespace {

// A registry file the stand-in cannot read whole, never a crash: a line it cannot read is
// skipped and the keys around it count; a file without its header is an empty registry.
struct BrokenFileCase {
    const char* label;
    std::string bytes;
    const char* expected;
};

const BrokenFileCase broken_files[] = {
    {"bad_value_data", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\n\"A\"=wat\n", "6.0"},
    {"no_header", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\n", ""},
    {"cut_short", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\n\"A\"=hex:01,\\\n", "6.0"},
    {"bad_key_line", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\7.0\n"
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\n", "6.0"},
    {"binary_junk", std::string("\xFF\xFE\x00\xD8[\x00\n\x00", 8), ""},
};

class ProductVersionBrokenFile : public ::testing::TestWithParam<BrokenFileCase> {};

TEST_P(ProductVersionBrokenFile, ReadsWhatCanBeRead) {
    testing_support::RegistryFixture registry;
    if (!testing_support::install_registry_file(registry, GetParam().bytes)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProductVersionBrokenFile, ::testing::ValuesIn(broken_files), testing_support::by_label);

}  // namespace

namespace {

// The stand-in keeps a parsed registry file while the file is unchanged; a file changed in
// any way after it was kept is read again. The file is first dated an hour back, so that
// the stand-in keeps it.
struct FileChangeCase {
    const char* label;
    std::string changed;  // the file's new body; "" removes the file
    int hours_back;       // the changed file's date: 0 now, 2 an hour before the kept one's
    const char* expected;
};

const FileChangeCase file_change_cases[] = {
    {"grown", subkey_lines(quendrix, {"6.0", "7.0"}), 0, "7.0"},
    {"same_size_now", subkey_lines(quendrix, {"7.0"}), 0, "7.0"},
    {"same_size_dated_back_further", subkey_lines(quendrix, {"7.0"}), 2, "7.0"},
    {"removed", "", 0, ""},
};

class ProductVersionFileChange : public ::testing::TestWithParam<FileChangeCase> {};

TEST_P(ProductVersionFileChange, ChangedFileReadAgain) {
    namespace fs = std::filesystem;
    const FileChangeCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(quendrix, {"6.0"}));
    if (registry.file().empty()) GTEST_SKIP() << "real registry";
    const fs::file_time_type kept_date = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(registry.file(), kept_date);
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), "6.0");
    if (c.changed.empty()) {
        fs::remove(registry.file());
    } else {
        registry.install(c.changed);
        if (c.hours_back > 0) fs::last_write_time(registry.file(), kept_date - std::chrono::hours(c.hours_back - 1));
    }
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProductVersionFileChange, ::testing::ValuesIn(file_change_cases), testing_support::by_label);

// A program may hand the stand-in the registry as text; it is read again when its
// generation changes, and a new registry file is not looked at meanwhile.
TEST(ProductVersionState, RegistryHandedOverAsText) {
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines(quendrix, {"9.0"}));
    if (!testing_support::supply_registry_text(subkey_lines(quendrix, {"6.0"}), 1)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), "6.0");
    testing_support::supply_registry_text(subkey_lines(quendrix, {"6.0", "7.0"}), 2);
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), "7.0");
    testing_support::stop_supplying_registry_text();
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), "9.0");
}

}  // namespace
