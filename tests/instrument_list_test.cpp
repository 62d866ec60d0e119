// GetHW against the VISA stand-in: what it lists, and that it closes what it opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_host.h"
#include "support/visa_fixture.h"
#include "support/case_label.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/loader.h"
#include "platform/windows/loader_calls.h"
#endif

namespace {

using testing_support::operator<<;

using testing_support::VisaFixture;

struct InstrumentCase {
    const char* label;
    const char* variant;  // "" for no VISA library at all
    std::string resources;
    const char* faults;
    std::string expected;
    // Set: the descriptors a call before lists, which must leave nothing behind.
    std::string earlier = "";
};

const std::string long_descriptor = "TCPIP0::" + std::string(240, 'h') + "::INSTR";  // 255 characters

const std::string descriptor_300_a = "USB0::" + std::string(286, 'a') + "::INSTR";
const std::string descriptor_300_b = "USB0::" + std::string(286, 'b') + "::INSTR";

// 63 descriptors of 255 characters and one of last_length, "|"-separated as the stand-in
// takes them or "\r\n"-separated as the list holds them. With a last one of 192
// characters the list is 16 383 characters long, all the list buffer holds.
std::string limit_descriptors(std::size_t last_length, const char* separator) {
    std::string text;
    for (int i = 0; i < 63; ++i) text += long_descriptor + separator;
    return text + "ASRL" + std::string(last_length - 11, '9') + "::INSTR";
}

std::string without_last_descriptor(const std::string& list) {
    return list.substr(0, list.rfind("\r\n"));
}

const InstrumentCase instrument_cases[] = {
    {"open_entry_point_missing", "without_open", "GPIB0::22::INSTR", "", ""},
    {"close_entry_point_missing", "without_close", "GPIB0::22::INSTR", "", ""},
    {"find_entry_point_missing", "without_find", "GPIB0::22::INSTR", "", ""},
    {"descriptors_filling_the_buffer_unterminated", "full", descriptor_300_a + "|" + descriptor_300_b, "unterminated",
     descriptor_300_a.substr(0, 255) + "\r\n" + descriptor_300_b.substr(0, 255)},
    {"find_next_writing_nothing_gives_empty_line", "full", "A::INSTR|B::INSTR", "silent_next", "A::INSTR\r\n"},
    {"find_list_zero_not_closed", "full", "A::INSTR|B::INSTR", "zero_find_list", "A::INSTR\r\nB::INSTR"},
    {"list_of_16383_characters_whole", "full", limit_descriptors(192, "|"), "", limit_descriptors(192, "\r\n")},
    {"list_of_16384_characters_ends_before_last", "full", limit_descriptors(193, "|"), "",
     without_last_descriptor(limit_descriptors(193, "\r\n"))},
    {"no_library", "", "GPIB0::22::INSTR", "", ""},
    {"entry_point_missing", "incomplete", "GPIB0::22::INSTR", "", ""},
    {"resource_manager_fails", "full", "GPIB0::22::INSTR", "open", ""},
    {"resource_manager_zero_session", "full", "GPIB0::22::INSTR", "zero_session", ""},
    {"nothing_found", "full", "", "", ""},
    {"find_fails", "full", "GPIB0::22::INSTR", "find", ""},
    {"one_instrument", "full", "GPIB0::22::INSTR", "", "GPIB0::22::INSTR"},
    {"two_instruments", "full", "GPIB0::22::INSTR|ASRL1::INSTR", "", "GPIB0::22::INSTR\r\nASRL1::INSTR"},
    {"find_next_fails_midway", "full", "A::INSTR|B::INSTR|C::INSTR", "next_after=1", "A::INSTR\r\nB::INSTR"},
    {"count_beyond_list_stops_at_failure", "full", "A::INSTR|B::INSTR", "count=1000", "A::INSTR\r\nB::INSTR"},
    {"count_below_list", "full", "A::INSTR|B::INSTR|C::INSTR", "count=2", "A::INSTR\r\nB::INSTR"},
    {"longest_descriptor_whole", "full", long_descriptor + "|B::INSTR", "", long_descriptor + "\r\nB::INSTR"},
    {"completion_codes_are_success", "full", "A::INSTR|B::INSTR", "completion_codes", "A::INSTR\r\nB::INSTR"},
    {"shorter_list_after_longer", "full", "A::INSTR", "", "A::INSTR", "GPIB0::22::INSTR|ASRL1::INSTR"},
    {"nothing_found_after_a_list", "full", "", "", "", "GPIB0::22::INSTR|ASRL1::INSTR"},
};

// Every handle the stand-in opened was closed, the find list before its session, and the
// library was released as often as it was loaded.
void expect_handles_closed(const std::vector<std::string>& log) {
    std::vector<std::string> open;
    int loads = 0;
    int unloads = 0;
    for (const std::string& line : log) {
        const std::string handle = line.substr(line.find(' ') + 1);
        if (line.rfind("load ", 0) == 0) ++loads;
        if (line == "unload") ++unloads;
        if (line.rfind("open_rm ", 0) == 0 || line.rfind("find ", 0) == 0) open.push_back(handle);
        if (line.rfind("close ", 0) == 0) {
            ASSERT_FALSE(open.empty()) << "closed " << handle << " which is not open";
            EXPECT_EQ(open.back(), handle) << "closed out of order";
            open.pop_back();
        }
    }
    EXPECT_TRUE(open.empty()) << open.size() << " handle(s) left open";
    EXPECT_EQ(loads, unloads) << "library not released";
}

class InstrumentList : public ::testing::TestWithParam<InstrumentCase> {};

TEST_P(InstrumentList, ListsDescriptors) {
    const InstrumentCase& c = GetParam();
    VisaFixture visa;
    if (*c.variant != '\0') visa.install(c.variant);
    testing_support::TestHost host("driver", {8, 32, 32 * 1024});
    ASSERT_TRUE(host.loaded());
    if (!c.earlier.empty()) {
        visa.set_resources(c.earlier);
        host.call("GetHW");
        ASSERT_NE(host.result(), "");
    }
    visa.set_resources(c.resources);
    visa.set_faults(c.faults);
    EXPECT_EQ(host.call("GetHW"), 1);
    EXPECT_EQ(host.result(), c.expected);
    expect_handles_closed(visa.log());
}

INSTANTIATE_TEST_SUITE_P(Cases, InstrumentList, ::testing::ValuesIn(instrument_cases), testing_support::by_label);

// 200 descriptors of 100 characters overflow the 16 KiB list: it keeps the 160 that fit
// whole with their separators (160 * 100 + 159 * 2 = 16318 characters; one more would
// need 16420), and ends at a whole descriptor.
TEST(InstrumentListOverflow, EndsAtWholeDescriptor) {
    VisaFixture visa;
    visa.install("full");
    visa.set_generated(200, 100);
    testing_support::TestHost host("driver", {8, 32, 32 * 1024});
    EXPECT_EQ(host.call("GetHW"), 1);
    const std::string list = host.result();
    EXPECT_EQ(list.size(), 16318u);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 159);
    EXPECT_EQ(list.substr(list.size() - 7), "::INSTR");
    EXPECT_EQ(list.substr(0, 9), "USB0::0::");
    expect_handles_closed(visa.log());
}

// A planted library in the current directory (and, on Windows, beside the program) is
// never loaded: the one installed where VISA lives answers.
TEST(InstrumentListLoading, PlantedLibraryIgnored) {
    VisaFixture visa;
    visa.install("full");
    visa.plant_in_current_directory();
    visa.set_resources("GPIB0::5::INSTR");
    testing_support::TestHost host("driver");
    EXPECT_EQ(host.call("GetHW"), 1);
    EXPECT_EQ(host.result(), "GPIB0::5::INSTR");
    const std::vector<std::string> log = visa.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "load " + visa.installed_path());
}

// Nothing installed and a planted library at hand: still nothing is loaded.
TEST(InstrumentListLoading, PlantedLibraryNotLoadedWhenVisaAbsent) {
    VisaFixture visa;
    visa.plant_in_current_directory();
    testing_support::TestHost host("driver");
    EXPECT_EQ(host.call("GetHW"), 1);
    EXPECT_EQ(host.result(), "");
    EXPECT_TRUE(visa.log().empty());
}

// The list is emptied on every call: a second call after VISA went away reports "".
TEST(InstrumentListLoading, NoStaleList) {
    VisaFixture visa;
    visa.install("full");
    visa.set_resources("GPIB0::5::INSTR");
    testing_support::TestHost host("driver");
    host.call("GetHW");
    EXPECT_EQ(host.result(), "GPIB0::5::INSTR");
    visa.uninstall();
    host.call("GetHW");
    EXPECT_EQ(host.result(), "");
}

// On 64-bit Windows each kind of process has its own system folder (SysWOW64 for 32-bit
// ones): VISA is loaded from the process's own, and a library of the other kind in the
// other folder is never loaded. Rows that need the other folder run only where there is one.
struct SystemFolderCase {
    const char* label;
    bool in_own_folder;
    bool in_other_folder;
    const char* expected;
};

const SystemFolderCase system_folder_cases[] = {
    {"own_folder_only", true, false, "GPIB0::5::INSTR"},
    {"other_folder_only", false, true, ""},
    {"both_folders", true, true, "GPIB0::5::INSTR"},
};

class InstrumentListSystemFolder : public ::testing::TestWithParam<SystemFolderCase> {};

TEST_P(InstrumentListSystemFolder, OwnSystemFolderOnly) {
    const SystemFolderCase& c = GetParam();
    VisaFixture visa;
    if (c.in_other_folder && !visa.install_in_other_system_folder("planted")) {
        GTEST_SKIP() << "this machine has one system folder";
    }
    if (c.in_own_folder) visa.install("full");
    visa.set_resources("GPIB0::5::INSTR");
    testing_support::TestHost host("driver");
    EXPECT_EQ(host.call("GetHW"), 1);
    EXPECT_EQ(host.result(), c.expected);
    const std::vector<std::string> log = visa.log();
    if (c.in_own_folder) {
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "load " + visa.installed_path());
    } else {
        EXPECT_TRUE(log.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, InstrumentListSystemFolder, ::testing::ValuesIn(system_folder_cases),
                         testing_support::by_label);

#if defined(_WIN32)
// The libraries visa32.dll imports are found beside it in the system folder: a helper of
// the same name planted beside the installer or in the current directory never loads.
struct HelperCase {
    const char* label;
    bool beside_program;
    bool in_current_directory;
};

const HelperCase helper_cases[] = {
    {"none_planted", false, false},
    {"planted_beside_program", true, false},
    {"planted_in_current_directory", false, true},
    {"planted_in_both", true, true},
};

class InstrumentListHelper : public ::testing::TestWithParam<HelperCase> {};

TEST_P(InstrumentListHelper, SystemFolderHelperLoaded) {
    const HelperCase& c = GetParam();
    VisaFixture visa;
    visa.install("with_helper");
    if (c.beside_program) visa.plant_helper_beside_program();
    if (c.in_current_directory) visa.plant_helper_in_current_directory();
    testing_support::TestHost host("driver");
    EXPECT_EQ(host.call("GetHW"), 1);
    EXPECT_EQ(host.result(), "HELPER::SYSTEM::INSTR");
    EXPECT_EQ(GetModuleHandleA(testing_support::visa_helper_file_name().c_str()), nullptr) << "helper left loaded";
    expect_handles_closed(visa.log());
}

INSTANTIATE_TEST_SUITE_P(Cases, InstrumentListHelper, ::testing::ValuesIn(helper_cases), testing_support::by_label);

// Where the system rejects the search flags, as an invalid parameter, VISA is loaded by its
// full path alone; any other failure is VISA not loading, and nothing is tried after it.
struct FallbackCase {
    const char* label;
    DWORD error;  // what the load with search flags fails with; 0: it is not made to fail
    bool loaded;
};

const FallbackCase fallback_cases[] = {
    {"flags_accepted", 0, true},
    {"flags_rejected_full_path_alone", ERROR_INVALID_PARAMETER, true},
    {"not_found_not_retried", ERROR_MOD_NOT_FOUND, false},
    {"access_denied_not_retried", ERROR_ACCESS_DENIED, false},
};

DWORD injected_load_error = 0;

HMODULE WINAPI failing_load_library_ex(LPCSTR, HANDLE, DWORD) {
    SetLastError(injected_load_error);
    return nullptr;
}

class VisaLoaderFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(VisaLoaderFallback, FullPathOnlyWhenFlagsRejected) {
    const FallbackCase& c = GetParam();
    VisaFixture visa;
    visa.install("full");
    injected_load_error = c.error;
    if (c.error != 0) platform::load_library_ex = failing_load_library_ex;
    const platform::LibraryHandle library = platform::load_visa_library();
    platform::load_library_ex = LoadLibraryExA;
    ASSERT_EQ(library != nullptr, c.loaded);
    if (library == nullptr) return;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(static_cast<HMODULE>(library), path, MAX_PATH);
    platform::free_library(library);
    EXPECT_EQ(lstrcmpiA(path, visa.installed_path().c_str()), 0) << path;
}

INSTANTIATE_TEST_SUITE_P(Cases, VisaLoaderFallback, ::testing::ValuesIn(fallback_cases), testing_support::by_label);
#endif

}  // namespace
