// Host texts longer than an export's buffer are refused whole, never cut: a cut key path,
// bound or value name would name another key, bound or value. Each case pairs a text that
// just fits with one a character longer, in a table whose slots hold both.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/registry_fixture.h"
#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

using testing_support::subkey_lines;

const std::string root = "SOFTWARE\\VantrelTest\\";

// A key path of exactly length characters below root, in components the registry allows.
std::string path_of_length(std::size_t length) {
    std::string path = root;
    while (path.size() + 250 < length) path += std::string(249, 'p') + "\\";
    return path + std::string(length - path.size(), 'q');
}

const std::string path_255 = path_of_length(255);
const std::string path_260 = path_of_length(260);
const std::string path_1023 = path_of_length(1023);
const std::string name_1023(1023, 'n');

// Subkeys of root\Versions, each with a default value of its own.
std::string versions_with_default(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += subkey_lines(root + "Versions", {name}) + "@=\"" + name + "\"\r\n";
    return text;
}

using Variables = std::vector<std::pair<std::string, std::string>>;

struct OverlongCase {
    const char* label;
    const char* export_name;
    std::string registry;
    Variables variables;
    std::string expected;
    std::int32_t returned;
    // Set for a call of the same export before the one the row is about, which must leave
    // nothing of its answer behind.
    Variables earlier = {};
};

// A selection that fills MapRegKeys' answer.
const Variables selection_answered = {{"REGISTRY_KEYS", "5.0\r"}, {"REGISTRY_SEL", "A"}};

const OverlongCase overlong_cases[] = {
    {"lookup_key_of_255", "GetRegKey", subkey_lines(path_255, {"A"}), {{"REGISTRY_KEY", path_255}}, "A", 1},
    {"lookup_key_of_256", "GetRegKey", subkey_lines(path_255, {"A"}) + subkey_lines(path_255 + "q", {"A"}),
     {{"REGISTRY_KEY", path_255 + "q"}}, "", 0},
    {"lookup_index_of_1023", "GetRegKey", subkey_lines(root + "Walk", {"A", "B"}),
     {{"REGISTRY_KEY", root + "Walk"}, {"REGISTRY_ITER", std::string(1022, ' ') + "1"}}, "B", 1},
    {"lookup_index_of_1024", "GetRegKey", subkey_lines(root + "Walk", {"A", "B"}),
     {{"REGISTRY_KEY", root + "Walk"}, {"REGISTRY_ITER", std::string(1023, ' ') + "1"}}, "", 0},
    {"collection_key_of_260", "GetRegKeys", subkey_lines(path_260, {"5.0"}) + "@=\"a\"\r\n",
     {{"REGISTRY_KEY", path_260}}, "5.0\r", 1},
#ifdef _WIN32
    // Windows' ANSI registry calls open no path longer than 260 characters, whatever the
    // buffer holds: for GetRegKeys that is the limit a script meets.
    {"collection_key_of_261", "GetRegKeys", subkey_lines(path_260 + "q", {"5.0"}) + "@=\"a\"\r\n",
     {{"REGISTRY_KEY", path_260 + "q"}}, "", 0},
#else
    // The stand-in shows that all 1023 characters the buffer holds reach the registry.
    {"collection_key_of_1023", "GetRegKeys", subkey_lines(path_1023, {"5.0"}) + "@=\"a\"\r\n",
     {{"REGISTRY_KEY", path_1023}}, "5.0\r", 1},
#endif
    {"collection_key_of_1024", "GetRegKeys", subkey_lines(path_1023, {"5.0"}) + "@=\"a\"\r\n",
     {{"REGISTRY_KEY", path_1023 + "q"}}, "", 0},
    {"collection_bound_of_1023", "GetRegKeys", versions_with_default({"5.0", "6.0"}),
     {{"REGISTRY_KEY", root + "Versions"}, {"REGISTRY_MIN", "5" + std::string(1022, '0')}}, "6.0\r", 1},
    {"collection_bound_of_1024", "GetRegKeys", versions_with_default({"5.0", "6.0"}),
     {{"REGISTRY_KEY", root + "Versions"}, {"REGISTRY_MIN", "5" + std::string(1023, '0')}}, "", 0},
    {"collection_value_name_of_1023", "GetRegKeys", subkey_lines(root + "Versions", {"5.0"}) + "\"" + name_1023 + "\"=\"a\"\r\n",
     {{"REGISTRY_KEY", root + "Versions"}, {"REGISTRY_CRT", name_1023}}, "5.0\r", 1},
    {"collection_value_name_of_1024", "GetRegKeys", subkey_lines(root + "Versions", {"5.0"}) + "\"" + name_1023 + "\"=\"a\"\r\n",
     {{"REGISTRY_KEY", root + "Versions"}, {"REGISTRY_CRT", name_1023 + "n"}}, "", 0},
    {"selection_list_of_1023", "MapRegKeys", "", {{"REGISTRY_KEYS", std::string(1022, 'k') + "\r"}, {"REGISTRY_SEL", "A"}},
     std::string(1022, 'k') + "&", 1},
    {"selection_list_of_1024", "MapRegKeys", "", {{"REGISTRY_KEYS", "5.0\r" + std::string(1020, 'k')}, {"REGISTRY_SEL", "A"}}, "", 1},
    {"selection_list_of_1024_after_an_answer", "MapRegKeys", "",
     {{"REGISTRY_KEYS", "5.0\r" + std::string(1020, 'k')}, {"REGISTRY_SEL", "A"}}, "", 1, selection_answered},
    {"selection_letters_of_1023", "MapRegKeys", "", {{"REGISTRY_KEYS", "5.0\r"}, {"REGISTRY_SEL", std::string(1022, ' ') + "A"}},
     "5.0&", 1},
    {"selection_letters_of_1024", "MapRegKeys", "", {{"REGISTRY_KEYS", "5.0\r"}, {"REGISTRY_SEL", "A" + std::string(1023, ' ')}},
     "", 1},
    {"selection_letters_of_1024_after_an_answer", "MapRegKeys", "",
     {{"REGISTRY_KEYS", "5.0\r"}, {"REGISTRY_SEL", "A" + std::string(1023, ' ')}}, "", 1, selection_answered},
};

class OverlongVariable : public ::testing::TestWithParam<OverlongCase> {};

TEST_P(OverlongVariable, RefusedNotCut) {
    const OverlongCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(c.registry);
    testing_support::TestHost host("vantrel", host::TableShape{64, 64, 2048});
    if (!c.earlier.empty()) {
        for (const auto& [name, value] : c.earlier) host.set(name, value);
        host.call(c.export_name);
        ASSERT_NE(host.result(), "");
    }
    for (const auto& [name, value] : c.variables) host.set(name, value);
    EXPECT_EQ(host.call(c.export_name), c.returned);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverlongVariable, ::testing::ValuesIn(overlong_cases), testing_support::by_label);

}  // namespace
