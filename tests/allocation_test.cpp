// No export allocates on the heap: an installer's heap is not ours to use, and a failed
// allocation is one more way to fail. Counted in the native build, where the sanitizer's
// allocator reports every allocation; the registry and VISA stand-ins and the loader aside.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/library.h"
#include "host/variable_table.h"
#include "support/allocation_counter.h"
#include "support/case_label.h"
#include "support/registry_fixture.h"
#include "support/visa_fixture.h"

namespace {

using testing_support::operator<<;

struct ExportCase {
    const char* label;
    const char* library;
    const char* export_name;
};

const ExportCase export_cases[] = {
    {"GetQuendrix", "vantrel", "GetQuendrix"},   {"GetWexo", "vantrel", "GetWexo"},
    {"GetZelk", "vantrel", "_GetZelk@4"},        {"GreaterEqual", "vantrel", "GreaterEqual"},
    {"GetRegKey", "vantrel", "GetRegKey"},       {"GetRegKeys", "vantrel", "GetRegKeys"},
    {"MapRegKeys", "vantrel", "MapRegKeys"},     {"GetDriverVer", "vantrel", "GetDriverVer"},
    {"GetHW", "driver", "GetHW"},
};

const char* const registry =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\5.5]\r\n\"Path\"=\"a\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\r\n\"Path\"=\"b\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Strovane\\3.1]\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Pellward\\2.0]\r\n";

class ExportAllocations : public ::testing::TestWithParam<ExportCase> {};

TEST_P(ExportAllocations, None) {
    const ExportCase& c = GetParam();
    testing_support::RegistryFixture registry_fixture;
    registry_fixture.install(registry);
    testing_support::VisaFixture visa;
    visa.install("full");
    visa.set_resources("GPIB0::22::INSTR|ASRL1::INSTR");
    const std::string header = (std::filesystem::temp_directory_path() / "vantrel-allocation.h").string();
    std::ofstream(header) << "#define X_MAJOR_VERSION 2\r\n#define X_MINOR_VERSION 14\r\n";

    host::Library library(host::resolve_library_path(c.library));
    const host::ExportFunction function = library.find_export(c.export_name);
    ASSERT_NE(function, nullptr);
    host::VariableTable table;
    for (const auto& [name, value] :
         {std::pair<const char*, std::string>{"REGISTRY_KEY", "SOFTWARE\\Korvalis\\Quendrix"},
          {"REGISTRY_ITER", "1"}, {"REGISTRY_CRT", "Path"}, {"REGISTRY_KEYS", "6.0\r5.5\r"},
          {"REGISTRY_SEL", "AB"}, {"STRING_1", "6.0"}, {"STRING_2", "5.5"}, {"DRIVER_PATH", header}}) {
        table.set(name, value);
    }
    HostCallRecord& record = table.record("RESULT");
    function(&record);  // a first call may set up what lives as long as the library

    if (!testing_support::start_counting_allocations()) GTEST_SKIP() << "allocations are counted natively";
    const std::int32_t returned = function(&record);
    const std::size_t allocations = testing_support::stop_counting_allocations();
    EXPECT_EQ(allocations, 0u) << c.export_name << " allocated";
    EXPECT_EQ(returned, 1) << "the export did no work to count";
    std::filesystem::remove(header);
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportAllocations, ::testing::ValuesIn(export_cases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
