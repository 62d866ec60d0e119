// GetHW against the VISA stand-in: what it lists, and that it closes what it opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_host.h"
#include "support/visa_fixture.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

using testing_support::VisaFixture;

struct InstrumentCase {
    const char* label;
    const char* variant;  // "" for no VISA library at all
    std::string resources;
    const char* faults;
    std::string expected;
};

const std::string long_descriptor = "TCPIP0::" + std::string(240, 'h') + "::INSTR";  // 255 characters

const InstrumentCase instrument_cases[] = {
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
    visa.set_resources(c.resources);
    visa.set_faults(c.faults);
    testing_support::TestHost host("driver");
    ASSERT_TRUE(host.loaded());
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

}  // namespace
