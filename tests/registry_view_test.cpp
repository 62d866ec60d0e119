// The registry views of 64-bit Windows: which view each export reads by default and with
// REGISTRY_VIEW, and where a 32-bit read of a key path leads. Every row is a 64-bit
// machine's registry as its export shows it (the 32-bit view below WOW6432Node), run on
// every shape of machine the build can show the libraries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_label.h"
#include "support/registry_fixture.h"
#include "support/test_host.h"

namespace {

using testing_support::MachineShape;
using testing_support::operator<<;
using testing_support::subkey_lines;

const std::string node = "SOFTWARE\\WOW6432Node";
// An export holding this key comes from a 64-bit machine, whatever else it holds.
const std::string sixty_four_bit = "[HKEY_LOCAL_MACHINE\\" + node + "]\r\n";

const std::string quendrix_in_both_views =
    subkey_lines(node + "\\Korvalis\\Quendrix", {"5.5"}) + subkey_lines("SOFTWARE\\Korvalis\\Quendrix", {"7.0"});

// A runtime key whose subkeys hold InstallPath in the 64-bit view, and only 5.0 holds it
// in the 32-bit one: a subkey read in the wrong view lists or drops 6.0.
const std::string runtimes_in_both_views =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VantrelTest\\Runtime\\5.0]\r\n\"InstallPath\"=\"a\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VantrelTest\\Runtime\\6.0]\r\n\"InstallPath\"=\"b\"\r\n"
    "[HKEY_LOCAL_MACHINE\\" + node + "\\VantrelTest\\Runtime\\5.0]\r\n\"InstallPath\"=\"c\"\r\n"
    "[HKEY_LOCAL_MACHINE\\" + node + "\\VantrelTest\\Runtime\\6.0]\r\n\"Other\"=\"d\"\r\n";

using Inputs = std::vector<std::pair<const char*, const char*>>;

const Inputs walk = {{"REGISTRY_KEY", "SOFTWARE\\VantrelTest\\Walk"}, {"REGISTRY_ITER", "0"}};
const Inputs runtimes = {{"REGISTRY_KEY", "SOFTWARE\\VantrelTest\\Runtime"}, {"REGISTRY_MIN", "5.0"},
                         {"REGISTRY_CRT", "InstallPath"}};

struct ViewCase {
    const char* label;
    const char* export_name;
    std::string registry;
    Inputs inputs;
    const char* view;  // REGISTRY_VIEW; nullptr leaves it unset
    // The answer on each shape. GetRegKey and GetRegKeys answer "" here only for a key they
    // cannot open, and then return 0.
    std::string one_view;
    std::string wow64;
    std::string win64;
};

const ViewCase view_cases[] = {
    {"both_views_own_view", "GetQuendrix", quendrix_in_both_views, {}, nullptr, "7.0", "5.5", "7.0"},
    {"both_views_empty_is_own_view", "GetQuendrix", quendrix_in_both_views, {}, "", "7.0", "5.5", "7.0"},
    {"both_views_32", "GetQuendrix", quendrix_in_both_views, {}, "32", "7.0", "5.5", "5.5"},
    {"both_views_64", "GetQuendrix", quendrix_in_both_views, {}, "64", "7.0", "7.0", "7.0"},
    {"other_text_is_own_view", "GetQuendrix", quendrix_in_both_views, {}, "x64", "7.0", "5.5", "7.0"},
    {"blank_after_64_is_own_view", "GetQuendrix", quendrix_in_both_views, {}, "64 ", "7.0", "5.5", "7.0"},
    {"longer_text_not_cut_to_64", "GetQuendrix", quendrix_in_both_views, {}, "640", "7.0", "5.5", "7.0"},
    {"longer_text_not_cut_to_32", "GetQuendrix", quendrix_in_both_views, {}, "3264", "7.0", "5.5", "7.0"},
    {"only_in_64_bit_view", "GetWexo", sixty_four_bit + subkey_lines("SOFTWARE\\Korvalis\\Strovane", {"6.0"}), {},
     nullptr, "6.0", "", "6.0"},
    {"only_in_64_bit_view_read_as_64", "GetWexo", sixty_four_bit + subkey_lines("SOFTWARE\\Korvalis\\Strovane", {"6.0"}),
     {}, "64", "6.0", "6.0", "6.0"},
    {"only_in_32_bit_view", "_GetZelk@4", subkey_lines(node + "\\Korvalis\\Pellward", {"4.1"}), {}, nullptr, "4.1",
     "4.1", ""},
    {"only_in_32_bit_view_read_as_64", "_GetZelk@4", subkey_lines(node + "\\Korvalis\\Pellward", {"4.1"}), {}, "64",
     "4.1", "", ""},
    {"only_in_32_bit_view_read_as_32", "_GetZelk@4", subkey_lines(node + "\\Korvalis\\Pellward", {"4.1"}), {}, "32",
     "4.1", "4.1", "4.1"},
    {"walk_own_view", "GetRegKey",
     subkey_lines(node + "\\VantrelTest\\Walk", {"a32"}) + subkey_lines("SOFTWARE\\VantrelTest\\Walk", {"b64"}), walk,
     nullptr, "a32", "a32", "b64"},
    {"walk_64", "GetRegKey",
     subkey_lines(node + "\\VantrelTest\\Walk", {"a32"}) + subkey_lines("SOFTWARE\\VantrelTest\\Walk", {"b64"}), walk,
     "64", "a32", "b64", "b64"},
    {"walk_32", "GetRegKey",
     subkey_lines(node + "\\VantrelTest\\Walk", {"a32"}) + subkey_lines("SOFTWARE\\VantrelTest\\Walk", {"b64"}), walk,
     "32", "a32", "a32", "a32"},
    {"walk_only_in_32_bit_view_read_as_64", "GetRegKey", subkey_lines(node + "\\VantrelTest\\Walk", {"a32"}), walk,
     "64", "a32", "", ""},
    {"runtimes_own_view", "GetRegKeys", runtimes_in_both_views, runtimes, nullptr, "6.0\r5.0\r", "5.0\r", "6.0\r5.0\r"},
    {"runtimes_64", "GetRegKeys", runtimes_in_both_views, runtimes, "64", "6.0\r5.0\r", "6.0\r5.0\r", "6.0\r5.0\r"},
    {"runtimes_32", "GetRegKeys", runtimes_in_both_views, runtimes, "32", "6.0\r5.0\r", "5.0\r", "5.0\r"},
    {"runtimes_only_in_32_bit_view_read_as_64", "GetRegKeys",
     "[HKEY_LOCAL_MACHINE\\" + node + "\\VantrelTest\\Runtime\\5.0]\r\n\"InstallPath\"=\"c\"\r\n", runtimes, "64",
     "5.0\r", "", ""},
    {"outside_software_one_key_own_view", "GetRegKey", sixty_four_bit + subkey_lines("SYSTEM\\VantrelTest\\Walk", {"s"}),
     {{"REGISTRY_KEY", "SYSTEM\\VantrelTest\\Walk"}, {"REGISTRY_ITER", "0"}}, nullptr, "s", "s", "s"},
    {"outside_software_one_key_32", "GetRegKey", sixty_four_bit + subkey_lines("SYSTEM\\VantrelTest\\Walk", {"s"}),
     {{"REGISTRY_KEY", "SYSTEM\\VantrelTest\\Walk"}, {"REGISTRY_ITER", "0"}}, "32", "s", "s", "s"},
    {"outside_software_one_key_64", "GetRegKey", sixty_four_bit + subkey_lines("SYSTEM\\VantrelTest\\Walk", {"s"}),
     {{"REGISTRY_KEY", "SYSTEM\\VantrelTest\\Walk"}, {"REGISTRY_ITER", "0"}}, "64", "s", "s", "s"},
};

const std::string& expected_on(const ViewCase& c, MachineShape shape) {
    switch (shape) {
        case MachineShape::one_view: return c.one_view;
        case MachineShape::wow64: return c.wow64;
        case MachineShape::win64: break;
    }
    return c.win64;
}

bool product_export(const ViewCase& c) {
    return std::string(c.export_name).rfind("GetReg", 0) != 0;
}

class RegistryView : public ::testing::TestWithParam<ViewCase> {};

TEST_P(RegistryView, AnswersFromTheViewAskedFor) {
    const ViewCase& c = GetParam();
    for (const MachineShape shape : testing_support::machine_shapes()) {
        SCOPED_TRACE(testing_support::shape_name(shape));
        testing_support::RegistryFixture registry;
        registry.install_machine(c.registry, shape);
        testing_support::TestHost host("vantrel");
        for (const auto& [name, value] : c.inputs) host.set(name, value);
        if (c.view != nullptr) host.set("REGISTRY_VIEW", c.view);
        const std::string& expected = expected_on(c, shape);
        EXPECT_EQ(host.call(c.export_name), product_export(c) || !expected.empty() ? 1 : 0);
        EXPECT_EQ(host.result(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryView, ::testing::ValuesIn(view_cases), testing_support::by_label);

// A partial export (one vendor's key) cannot tell the machine's kind: it is the kind stated
// (hostsim --machine), and on a 64-bit machine the libraries read below WOW6432Node.
struct StatedKindCase {
    const char* label;
    const char* bits;
    const char* expected;
};

const StatedKindCase stated_kind_cases[] = {
    {"stated_64_reads_the_32_bit_view", "64", ""},
    {"stated_32_reads_the_one_view", "32", "7.0"},
};

class RegistryStatedKind : public ::testing::TestWithParam<StatedKindCase> {};

TEST_P(RegistryStatedKind, PartialExportReadAsStated) {
    const StatedKindCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\7.0]\r\n");
    if (!testing_support::state_machine_kind(c.bits)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryStatedKind, ::testing::ValuesIn(stated_kind_cases), testing_support::by_label);

// Where a read of a key path leads on 64-bit Windows, as measured in Wine's WoW64: the
// export holds the key at `found_at`; a read of `asked` in the 32-bit and in the 64-bit
// view finds it or not.
struct RedirectionCase {
    const char* label;
    const char* asked;
    const char* found_at;
    bool found_by_32_bit_read;
    bool found_by_64_bit_read;
};

const RedirectionCase redirection_cases[] = {
    {"below_software", "SOFTWARE\\VantrelTest\\Node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false},
    {"vendor_key", "SOFTWARE\\Korvalis\\Quendrix", "SOFTWARE\\WOW6432Node\\Korvalis\\Quendrix", true, false},
    {"letter_case_of_the_path", "software\\vantreltest\\node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false},
    {"doubled_backslash", "SOFTWARE\\\\VantrelTest\\Node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false},
    {"classes", "SOFTWARE\\Classes\\VantrelTest", "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest", true, false},
    {"node_named_in_the_path", "SOFTWARE\\WOW6432Node\\VantrelTest", "SOFTWARE\\WOW6432Node\\VantrelTest", true, true},
    {"node_named_in_other_case", "SOFTWARE\\Wow6432Node\\VantrelTest", "SOFTWARE\\WOW6432Node\\VantrelTest", true, true},
    // Below Classes the 32-bit view's node is not recognised in a path: a 32-bit read looks
    // for a node within the node, and finds nothing.
    {"classes_node_named_in_the_path", "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest",
     "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest", false, true},
    {"outside_software", "SYSTEM\\VantrelTest", "SYSTEM\\VantrelTest", true, true},
};

class RegistryRedirection : public ::testing::TestWithParam<RedirectionCase> {};

TEST_P(RegistryRedirection, EachViewFindsTheKeyOrNot) {
    const RedirectionCase& c = GetParam();
    for (const MachineShape shape : testing_support::machine_shapes()) {
        if (shape == MachineShape::one_view) continue;  // one view: nothing is redirected
        SCOPED_TRACE(testing_support::shape_name(shape));
        testing_support::RegistryFixture registry;
        registry.install_machine(sixty_four_bit + subkey_lines(c.found_at, {"found"}), shape);
        for (const char* view : {"32", "64"}) {
            SCOPED_TRACE(view);
            testing_support::TestHost host("vantrel");
            host.set("REGISTRY_KEY", c.asked);
            host.set("REGISTRY_ITER", "0");
            host.set("REGISTRY_VIEW", view);
            const bool found = std::string(view) == "32" ? c.found_by_32_bit_read : c.found_by_64_bit_read;
            EXPECT_EQ(host.call("GetRegKey"), found ? 1 : 0);
            EXPECT_EQ(host.result(), found ? "found" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryRedirection, ::testing::ValuesIn(redirection_cases), testing_support::by_label);

}  // namespace
