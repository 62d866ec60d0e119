// GetRegKeys: which subkeys are listed, in which order, and how the list is bounded; and
// its list handed through a host variable to MapRegKeys, as a script does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/registry_fixture.h"
#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

const char* const versions_key = "SOFTWARE\\VantrelTest\\Versions";

// A subkey and the lines of its values ("" for none).
struct Subkey {
    std::string name;
    std::string values;
};

std::string path_is(const std::string& text) {
    return "\"Path\"=\"" + text + "\"";
}

// A binary value holding the bytes of text, with no zero byte.
std::string binary_path(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string line = "\"Path\"=hex:";
    for (unsigned char byte : text) {
        if (line.back() != ':') line += ',';
        line += digits[byte >> 4];
        line += digits[byte & 15];
    }
    return line;
}

std::string subkeys_of(const std::string& key, const std::vector<Subkey>& subkeys) {
    std::string text;
    for (const Subkey& subkey : subkeys) {
        text += "[HKEY_LOCAL_MACHINE\\" + key + "\\" + subkey.name + "]\r\n" + subkey.values + "\r\n";
    }
    return text;
}

std::string versions(const std::vector<Subkey>& subkeys) {
    return subkeys_of(versions_key, subkeys);
}

// Subkeys named by number ("000", "001", ...), each with a value of its own.
std::vector<Subkey> numbered_versions(int count) {
    std::vector<Subkey> subkeys;
    for (int i = 0; i < count; ++i) {
        const std::string number = std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i);
        subkeys.push_back({number, path_is("value " + number)});
    }
    return subkeys;
}

std::string lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + "\r";
    return text;
}

// The expected list for numbered_versions(251) with "000" renamed by a later subkey: the
// table keeps the 250 greatest names, "zzz" (for the value of "000") and "250" down to "002".
std::string table_full_list() {
    std::vector<std::string> names{"zzz"};
    for (int i = 250; i >= 2; --i) names.push_back(numbered_versions(251)[static_cast<std::size_t>(i)].name);
    return lines(names);
}

// The list for numbered_versions(count) with more values than the table holds: the 250
// greatest names.
std::string greatest_numbered_list(int count) {
    std::vector<std::string> names;
    for (int i = count - 1; i >= count - 250; --i) names.push_back(numbered_versions(count)[static_cast<std::size_t>(i)].name);
    return lines(names);
}

std::vector<Subkey> table_full_versions() {
    std::vector<Subkey> subkeys = numbered_versions(251);
    subkeys.push_back({"zzz", path_is("VALUE 000")});
    return subkeys;
}

// 250 names "a00" to "c49", each with a value of its own, and then "D" with one more: the
// registry lists "D" last (it compares names regardless of case), though byte-wise it is
// the least, so the full table passes it over.
std::vector<Subkey> letter_named_versions() {
    std::vector<Subkey> subkeys;
    for (int i = 0; i < 250; ++i) {
        const std::string name = std::string(1, static_cast<char>('a' + i / 100)) + (i % 100 < 10 ? "0" : "") + std::to_string(i % 100);
        subkeys.push_back({name, path_is("value " + name)});
    }
    subkeys.push_back({"D", path_is("value D")});
    return subkeys;
}

std::string letter_named_list() {
    std::vector<std::string> names;
    const std::vector<Subkey> subkeys = letter_named_versions();
    for (int i = 249; i >= 0; --i) names.push_back(subkeys[static_cast<std::size_t>(i)].name);
    return lines(names);
}

std::string long_name(char letter, std::size_t length, char last) {
    return std::string(length - 1, letter) + last;
}

struct CollectionCase {
    const char* label;
    std::string registry;
    std::string expected;
    std::int32_t returned = 1;
    const char* lower_bound = nullptr;  // nullptr: REGISTRY_MIN unset
    const char* value_name = "Path";    // nullptr: REGISTRY_CRT unset
};

const CollectionCase collection_cases[] = {
    {"key_missing", subkeys_of("SOFTWARE\\VantrelTest\\Other", {{"5.0", path_is("a")}}), "", 0},
    {"no_subkeys", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VantrelTest\\Versions]\r\n", ""},
    {"no_subkey_qualifies", versions({{"5.0", ""}, {"5.5", path_is("")}, {"CurrentVersion", path_is("a")}}), ""},
    {"greatest_first", versions({{"5.0", path_is("a")}, {"6.0", path_is("c")}, {"5.5", path_is("b")}}), "6.0\r5.5\r5.0\r"},
    {"single_subkey", versions({{"5.0", path_is("a")}}), "5.0\r"},
    {"order_is_bytewise_not_numeric", versions({{"9.0", path_is("a")}, {"10.0", path_is("b")}}), "9.0\r10.0\r"},
    {"lower_bound_bytewise_and_inclusive",
     versions({{"10.0", path_is("a")}, {"5", path_is("b")}, {"5.0", path_is("c")}, {"6.0", path_is("d")}}),
     "6.0\r5.0\r", 1, "5.0"},
    {"current_version_in_any_case_never_listed",
     versions({{"D1", path_is("a")}, {"cURRENTvERSION", path_is("z")}}), "D1\r", 1, "C"},
    {"current_version_sharing_a_value",
     versions({{"5.5", path_is("a")}, {"CurrentVersion", path_is("a")}}), "5.5\r"},
    {"values_match_ignoring_ascii_case", versions({{"5.0", path_is("C:\\\\PROG")}, {"5.5", path_is("c:\\\\prog")}}), "5.5\r"},
    // Equal values read after a longer one: the comparison ends at their end, whatever the
    // longer one left in the buffer beyond it.
    {"equal_values_after_longer_one",
     versions({{"1.0", path_is("C:\\\\PROG")}, {"2.0", path_is("C:\\\\PROGRAMS\\\\LONGER")}, {"3.0", path_is("c:\\\\prog")}}),
     "3.0\r2.0\r"},
    {"greater_name_enumerated_first", versions({{"a", path_is("X")}, {"B", path_is("x")}}), "a\r"},
    {"greater_name_enumerated_last", versions({{"A", path_is("X")}, {"b", path_is("x")}}), "b\r"},
    {"non_ascii_case_differs", versions({{"5.0", path_is("\xC9")}, {"5.5", path_is("\xE9")}}), "5.5\r5.0\r"},
    {"small_letter_first", versions({{"Abc", path_is("1")}, {"abd", path_is("2")}, {"Zz1", path_is("3")}, {"zz", path_is("4")}}),
     "zz\rabd\rZz1\rAbc\r"},
    {"high_bytes_before_ascii", versions({{"zz", path_is("1")}, {"\xE9t\xE9", path_is("2")}}), "\xE9t\xE9\rzz\r"},
    {"default_value_when_unset", versions({{"5.0", "@=\"a\""}, {"5.5", path_is("b")}}), "5.0\r", 1, nullptr, nullptr},
    {"value_of_1024_bytes_listed", versions({{"5.0", path_is(std::string(1023, 'v'))}}), "5.0\r"},
    {"value_over_1024_bytes_passed_over", versions({{"5.0", path_is(std::string(1024, 'v'))}, {"4.0", path_is("a")}}), "4.0\r"},
    {"values_differing_past_character_249",
     versions({{"5.0", path_is(std::string(600, 'v') + "1")}, {"5.5", path_is(std::string(600, 'v') + "2")}}),
     "5.5\r5.0\r"},
    {"dword_read_as_text", versions({{"5.0", "\"Path\"=dword:00000041"}, {"5.5", path_is("a")}}), "5.5\r"},
    {"zero_dword_is_empty", versions({{"5.0", "\"Path\"=dword:00000000"}}), ""},
    {"binary_ends_at_byte_count", versions({{"5.0", path_is("ABCD")}, {"5.5", "\"Path\"=hex:41,42"}}), "5.5\r5.0\r"},
    {"binary_of_1024_bytes_held_whole",
     versions({{"5.0", binary_path(std::string(1024, 'v'))}, {"5.5", binary_path(std::string(1023, 'v') + "w")}}),
     "5.5\r5.0\r"},
    {"binary_over_1024_bytes_passed_over", versions({{"5.0", binary_path(std::string(1025, 'v'))}}), ""},
    {"multi_string_first_item", versions({{"5.0", "\"Path\"=hex(7):61,00,00,00,62,00,00,00,00,00"}, {"5.5", path_is("A")}}), "5.5\r"},
    {"shorter_greater_name_takes_over_value", versions({{"5.10", path_is("a")}, {"6", path_is("a")}}), "6\r"},
    {"names_of_255_characters",
     versions({{long_name('n', 255, '1'), path_is("a")}, {long_name('n', 255, '2'), path_is("b")}}),
     lines({long_name('n', 255, '2'), long_name('n', 255, '1')})},
    {"table_full_keeps_greatest_names", versions(table_full_versions()), table_full_list()},
    {"table_full_passes_over_lesser_name", versions(letter_named_versions()), letter_named_list()},
    {"table_full_list_starts_at_greatest", versions(numbered_versions(320)), greatest_numbered_list(320)},
    {"values_match_at_letter_range_ends", versions({{"5.0", path_is("ZIP")}, {"5.5", path_is("zip")}, {"6.0", path_is("Ant")},
                                                    {"6.5", path_is("ant")}}), "6.5\r5.5\r"},
    {"values_around_letters_differ", versions({{"5.0", path_is("@[")}, {"5.5", path_is("`{")}}), "5.5\r5.0\r"},
    {"output_filled_exactly",
     versions({{std::string(255, 'z'), path_is("1")}, {std::string(255, 'y'), path_is("2")},
               {std::string(255, 'x'), path_is("3")}, {std::string(254, 'w'), path_is("4")}}),
     lines({std::string(255, 'z'), std::string(255, 'y'), std::string(255, 'x'), std::string(254, 'w')})},
    {"output_overflow_ends_list",
     versions({{std::string(255, 'z'), path_is("1")}, {std::string(255, 'y'), path_is("2")},
               {std::string(255, 'x'), path_is("3")}, {std::string(255, 'w'), path_is("4")}, {"a", path_is("5")}}),
     lines({std::string(255, 'z'), std::string(255, 'y'), std::string(255, 'x')})},
};

class SubkeyCollection : public ::testing::TestWithParam<CollectionCase> {};

TEST_P(SubkeyCollection, ListsQualifyingSubkeys) {
    const CollectionCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(c.registry);
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", versions_key);
    if (c.lower_bound != nullptr) host.set("REGISTRY_MIN", c.lower_bound);
    if (c.value_name != nullptr) host.set("REGISTRY_CRT", c.value_name);
    EXPECT_EQ(host.call("GetRegKeys"), c.returned);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyCollection, ::testing::ValuesIn(collection_cases), testing_support::by_label);

// The table lives as long as the library: a second call in the process answers as a first
// one would, whatever the first left in the table.
struct RepeatCase {
    const char* label;
    const char* first_bound;   // REGISTRY_MIN of the first call
    const char* second_bound;  // and of the second
    const char* expected;      // the second call's list
};

const RepeatCase repeat_cases[] = {
    {"same_request", "", "", "6.0\r5.5\r5.0\r"},
    {"higher_lower_bound", "", "5.5", "6.0\r5.5\r"},
    {"lower_lower_bound", "6.0", "", "6.0\r5.5\r5.0\r"},
};

class SubkeyCollectionRepeat : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(SubkeyCollectionRepeat, SecondCallAnswersAfresh) {
    const RepeatCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(versions({{"5.0", path_is("a")}, {"6.0", path_is("b")}, {"5.5", path_is("c")}}));
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", versions_key);
    host.set("REGISTRY_CRT", "Path");
    host.set("REGISTRY_MIN", c.first_bound);
    EXPECT_EQ(host.call("GetRegKeys"), 1);
    host.set("REGISTRY_MIN", c.second_bound);
    EXPECT_EQ(host.call("GetRegKeys"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyCollectionRepeat, ::testing::ValuesIn(repeat_cases), testing_support::by_label);

// Key paths in the forms a script may write them, read as the registry reads them: letter
// case aside, doubled and trailing backslashes are one separator or none, and a leading
// backslash names no key; an empty path is HKEY_LOCAL_MACHINE itself, whose subkeys differ
// between systems. GetRegKeys opens the subkeys through the key it opened, and GetRegKey
// names the first of them.
struct PathFormCase {
    const char* label;
    const char* key_path;
    const char* list;   // GetRegKeys' answer; nullptr: the key does not open
    const char* first;  // GetRegKey's answer for index 0; nullptr: any name
};

const PathFormCase path_form_cases[] = {
    {"as_written", "SOFTWARE\\VantrelTest\\Versions", "6.0\r5.0\r", "5.0"},
    {"trailing_backslash", "SOFTWARE\\VantrelTest\\Versions\\", "6.0\r5.0\r", "5.0"},
    {"two_trailing_backslashes", "SOFTWARE\\VantrelTest\\Versions\\\\", "6.0\r5.0\r", "5.0"},
    {"doubled_backslash", "SOFTWARE\\\\VantrelTest\\Versions", "6.0\r5.0\r", "5.0"},
    {"other_letter_case", "software\\vantreltest\\VERSIONS", "6.0\r5.0\r", "5.0"},
    {"parent_with_trailing_backslash", "SOFTWARE\\VantrelTest\\", "Versions\r", "Versions"},
    {"leading_backslash", "\\SOFTWARE\\VantrelTest\\Versions", nullptr, ""},
    {"doubled_leading_backslash", "\\\\SOFTWARE\\VantrelTest\\Versions", nullptr, ""},
    {"backslash_alone", "\\", nullptr, ""},
    {"empty_is_the_machine_key", "", "", nullptr},
};

class SubkeyPathForm : public ::testing::TestWithParam<PathFormCase> {};

TEST_P(SubkeyPathForm, OpensAsTheRegistryDoes) {
    const PathFormCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(versions({{"5.0", path_is("a")}, {"6.0", path_is("b")}}) +
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VantrelTest\\Versions]\r\n\"Path\"=\"p\"\r\n");
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", c.key_path);
    host.set("REGISTRY_CRT", "Path");
    host.set("REGISTRY_ITER", "0");
    EXPECT_EQ(host.call("GetRegKeys"), c.list != nullptr ? 1 : 0);
    EXPECT_EQ(host.result(), c.list != nullptr ? c.list : "");
    EXPECT_EQ(host.call("GetRegKey"), c.list != nullptr ? 1 : 0);
    if (c.first != nullptr) EXPECT_EQ(host.result(), c.first);
    else EXPECT_NE(host.result(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyPathForm, ::testing::ValuesIn(path_form_cases), testing_support::by_label);

// The registry changes after the three subkeys 5.0, 5.5 and 6.0 (values a, b, c) have been
// collected and before their values are read again.
struct ChangeCase {
    const char* label;
    std::vector<Subkey> changed;
    const char* expected;
};

const ChangeCase change_cases[] = {
    {"unchanged", {{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("c")}}, "6.0\r5.5\r5.0\r"},
    {"value_now_equal_drops_later_entry", {{"5.0", path_is("a")}, {"5.5", path_is("a")}, {"6.0", path_is("c")}}, "6.0\r5.5\r"},
    {"value_now_equal_to_later_entry", {{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("b")}}, "6.0\r5.0\r"},
    {"equal_but_for_case_kept", {{"5.0", path_is("a")}, {"5.5", path_is("A")}, {"6.0", path_is("c")}}, "6.0\r5.5\r5.0\r"},
    {"equal_but_for_case_to_earlier_kept", {{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("A")}},
     "6.0\r5.5\r5.0\r"},
    {"subkey_deleted", {{"5.0", path_is("a")}, {"6.0", path_is("c")}}, "6.0\r5.0\r"},
    {"value_deleted", {{"5.0", path_is("a")}, {"5.5", ""}, {"6.0", path_is("c")}}, "6.0\r5.0\r"},
    {"subkey_added_not_listed", {{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"5.7", path_is("d")}, {"6.0", path_is("c")}}, "6.0\r5.5\r5.0\r"},
};

class SubkeyCollectionChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(SubkeyCollectionChange, ReReadsValuesBeforeListing) {
    const ChangeCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(versions({{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("c")}}));
    if (!registry.change_after_subkey_opens(3, versions(c.changed))) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", versions_key);
    host.set("REGISTRY_CRT", "Path");
    EXPECT_EQ(host.call("GetRegKeys"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyCollectionChange, ::testing::ValuesIn(change_cases), testing_support::by_label);

struct FaultCase {
    const char* label;
    const char* faults;
    const char* expected;
    std::int32_t returned;
};

const FaultCase fault_cases[] = {
    {"key_cannot_be_opened", "open", "", 0},
    {"enumeration_ends_early", "enumerate#1", "5.0\r", 1},
    {"subkeys_cannot_be_opened", "open_subkey", "", 1},
    {"values_cannot_be_read", "read", "", 1},
};

class SubkeyCollectionFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SubkeyCollectionFault, FailingRegistryCall) {
    const FaultCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(versions({{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("c")}}));
    if (!testing_support::inject_registry_faults(c.faults)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", versions_key);
    host.set("REGISTRY_CRT", "Path");
    const std::int32_t returned = host.call("GetRegKeys");
    testing_support::clear_registry_faults();
    EXPECT_EQ(returned, c.returned);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyCollectionFault, ::testing::ValuesIn(fault_cases), testing_support::by_label);

// GetRegKeys' list stored in REGISTRY_KEYS by the host, then picked from by MapRegKeys.
struct HandOverCase {
    const char* label;
    std::string registry;
    const char* selection;
    std::string expected;
};

const std::vector<Subkey> full_output_versions = {
    {std::string(255, 'z'), path_is("1")}, {std::string(255, 'y'), path_is("2")},
    {std::string(255, 'x'), path_is("3")}, {std::string(254, 'w'), path_is("4")}};

const HandOverCase hand_over_cases[] = {
    {"first_and_third", versions({{"5.0", path_is("a")}, {"5.5", path_is("b")}, {"6.0", path_is("c")}}), "CA", "6.0&5.0&"},
    {"lines_of_255_characters", versions({{long_name('n', 255, '1'), path_is("a")}, {"5.0", path_is("b")}}), "AB",
     long_name('n', 255, '1') + "&5.0&"},
    {"whole_list_of_1023_characters", versions(full_output_versions), "DCBA",
     std::string(255, 'z') + "&" + std::string(255, 'y') + "&" + std::string(255, 'x') + "&" + std::string(254, 'w') + "&"},
};

class SubkeyCollectionHandOver : public ::testing::TestWithParam<HandOverCase> {};

TEST_P(SubkeyCollectionHandOver, MapRegKeysPicksFromList) {
    const HandOverCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(c.registry);
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", versions_key);
    host.set("REGISTRY_CRT", "Path");
    EXPECT_EQ(host.call("GetRegKeys"), 1);
    host.set("REGISTRY_KEYS", host.result());
    host.set("REGISTRY_SEL", c.selection);
    EXPECT_EQ(host.call("MapRegKeys"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubkeyCollectionHandOver, ::testing::ValuesIn(hand_over_cases), testing_support::by_label);

}  // namespace
