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
    {"no_key_in_32_bit_view", "GetWexo", subkey_lines("SOFTWARE\\Korvalis\\Strovane", {"6.0"}), {}, nullptr, "6.0", "",
     "6.0"},
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

class ViewVariable : public ::testing::TestWithParam<ViewCase> {};

TEST_P(ViewVariable, AnswersFromTheViewAskedFor) {
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

INSTANTIATE_TEST_SUITE_P(Cases, ViewVariable, ::testing::ValuesIn(view_cases), testing_support::by_label);

// A system that does not know the view flags refuses every open that asks for a view: an
// export asked for one answers as for a key that cannot be opened, and one not asked for
// any opens its keys as before, with no flag. Natively only, where the stand-in can refuse.
struct RefusedViewCase {
    const char* label;
    const char* export_name;
    const char* view;  // REGISTRY_VIEW; nullptr leaves it unset
    std::int32_t returned;
    const char* expected;
};

const RefusedViewCase refused_view_cases[] = {
    {"product_own_view", "GetQuendrix", nullptr, 1, "6.0"},
    {"product_other_text", "GetQuendrix", "x64", 1, "6.0"},
    {"product_32", "GetQuendrix", "32", 1, ""},
    {"product_64", "GetQuendrix", "64", 1, ""},
    {"walk_own_view", "GetRegKey", nullptr, 1, "6.0"},
    {"walk_32", "GetRegKey", "32", 0, ""},
    {"walk_64", "GetRegKey", "64", 0, ""},
    {"collection_own_view", "GetRegKeys", "", 1, "6.0\r"},
    {"collection_32", "GetRegKeys", "32", 0, ""},
};

class ViewVariableRefused : public ::testing::TestWithParam<RefusedViewCase> {};

TEST_P(ViewVariableRefused, AnswersAsForAKeyThatCannotBeOpened) {
    const RefusedViewCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\r\n\"Path\"=\"a\"\r\n");
    if (!testing_support::inject_registry_faults("view_flag")) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    host.set("REGISTRY_KEY", "SOFTWARE\\Korvalis\\Quendrix");
    host.set("REGISTRY_ITER", "0");
    host.set("REGISTRY_CRT", "Path");
    if (c.view != nullptr) host.set("REGISTRY_VIEW", c.view);
    EXPECT_EQ(host.call(c.export_name), c.returned);
    testing_support::clear_registry_faults();
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewVariableRefused, ::testing::ValuesIn(refused_view_cases), testing_support::by_label);

// A partial export (one vendor's key) cannot tell the machine's kind; stated to be a 64-bit
// machine's, its keys are the 64-bit view's. Natively only, where the stand-in reads exports.
struct StatedKindCase {
    const char* label;
    const char* stated;  // as hostsim --machine states it; "" states nothing
    const char* view;    // REGISTRY_VIEW; nullptr leaves it unset
    const char* expected;
};

const StatedKindCase stated_kind_cases[] = {
    {"unstated_one_view", "", nullptr, "7.0"},
    {"stated_32_one_view", "32", nullptr, "7.0"},
    {"stated_64_own_view", "64", nullptr, ""},
    {"stated_64_asked_64", "64", "64", "7.0"},
    {"stated_other_text_one_view", "640", nullptr, "7.0"},
};

class RegistryMachineStated : public ::testing::TestWithParam<StatedKindCase> {};

TEST_P(RegistryMachineStated, PartialExportReadAsStated) {
    const StatedKindCase& c = GetParam();
    testing_support::RegistryFixture registry;
    registry.install(subkey_lines("SOFTWARE\\Korvalis\\Quendrix", {"7.0"}));
    if (!testing_support::state_machine_kind(c.stated)) GTEST_SKIP() << "real registry";
    testing_support::TestHost host("vantrel");
    if (c.view != nullptr) host.set("REGISTRY_VIEW", c.view);
    EXPECT_EQ(host.call("GetQuendrix"), 1);
    EXPECT_EQ(host.result(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryMachineStated, ::testing::ValuesIn(stated_kind_cases),
                         testing_support::by_label);

// Where a read of a key path leads on 64-bit Windows, as measured in Wine's WoW64: the
// export holds a subkey VantrelTest, with a value Mark, below `found_at`; GetRegKeys on
// `asked` in the 32-bit and in the 64-bit view lists it or not. A 64-bit process asking
// for the 32-bit view is redirected the same way but for two paths.
struct RedirectionCase {
    const char* label;
    const char* asked;
    const char* found_at;
    bool found_by_32_bit_read;
    bool found_by_64_bit_read;
    bool found_by_32_bit_read_of_64_bit_process;
};

const RedirectionCase redirection_cases[] = {
    {"below_software", "SOFTWARE\\VantrelTest\\Node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false, true},
    {"vendor_key", "SOFTWARE\\Korvalis\\Quendrix", "SOFTWARE\\WOW6432Node\\Korvalis\\Quendrix", true, false, true},
    {"software_itself", "SOFTWARE", "SOFTWARE\\WOW6432Node", true, false, true},
    {"letter_case_of_the_path", "software\\vantreltest\\node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false,
     true},
    {"doubled_backslash", "SOFTWARE\\\\VantrelTest\\Node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", true, false, true},
    {"leading_backslash", "\\SOFTWARE\\VantrelTest\\Node", "SOFTWARE\\WOW6432Node\\VantrelTest\\Node", false, false,
     false},
    {"classes", "SOFTWARE\\Classes\\VantrelTest", "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest", true, false, true},
    // Classes itself is one key in both views for a 32-bit process: its subkeys are the
    // 64-bit view's, WOW6432Node among them.
    {"classes_itself", "SOFTWARE\\Classes", "SOFTWARE\\Classes\\WOW6432Node", false, false, true},
    {"doubled_backslash_before_classes", "SOFTWARE\\\\Classes\\VantrelTest",
     "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest", true, false, true},
    {"node_named_in_the_path", "SOFTWARE\\WOW6432Node\\VantrelTest", "SOFTWARE\\WOW6432Node\\VantrelTest", true, true,
     true},
    {"node_named_in_other_case", "SOFTWARE\\Wow6432Node\\VantrelTest", "SOFTWARE\\WOW6432Node\\VantrelTest", true, true,
     true},
    // The 64-bit process's 32-bit read looks for a node within the node below Classes.
    {"classes_node_named_in_the_path", "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest",
     "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest", true, true, false},
    {"outside_software", "SYSTEM\\VantrelTest", "SYSTEM\\VantrelTest", true, true, true},
};

bool found_by(const RedirectionCase& c, MachineShape shape, const std::string& view) {
    if (view == "64") return c.found_by_64_bit_read;
    return shape == MachineShape::win64 ? c.found_by_32_bit_read_of_64_bit_process : c.found_by_32_bit_read;
}

class RegistryRedirection : public ::testing::TestWithParam<RedirectionCase> {};

TEST_P(RegistryRedirection, EachViewFindsTheKeyOrNot) {
    const RedirectionCase& c = GetParam();
    const std::vector<MachineShape> shapes = testing_support::machine_shapes();
    if (shapes == std::vector<MachineShape>{MachineShape::one_view}) GTEST_SKIP() << "one view: nothing is redirected";
    for (const MachineShape shape : shapes) {
        if (shape == MachineShape::one_view) continue;
        SCOPED_TRACE(testing_support::shape_name(shape));
        testing_support::RegistryFixture registry;
        registry.install_machine(sixty_four_bit + "[HKEY_LOCAL_MACHINE\\" + c.found_at +
                                     "\\VantrelTest]\r\n\"Mark\"=\"here\"\r\n",
                                 shape);
        for (const char* view : {"32", "64"}) {
            SCOPED_TRACE(view);
            testing_support::TestHost host("vantrel");
            host.set("REGISTRY_KEY", c.asked);
            host.set("REGISTRY_CRT", "Mark");
            host.set("REGISTRY_VIEW", view);
            const int returned = host.call("GetRegKeys");
            if (found_by(c, shape, view)) {
                EXPECT_EQ(returned, 1);
                EXPECT_EQ(host.result(), "VantrelTest\r");
            } else {
                EXPECT_EQ(host.result(), "");
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryRedirection, ::testing::ValuesIn(redirection_cases), testing_support::by_label);

}  // namespace
