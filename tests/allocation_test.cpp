// No export allocates on the heap: an installer's heap is not ours to use, and a failed
// allocation is one more way to fail. Counted in the native build, where the sanitizer's
// allocator reports every allocation; the registry and VISA stand-ins and the loader aside.
#include <gtest/gtest.h>

#include <string>

#include "host/library.h"
#include "host/variable_table.h"
#include "support/allocation_counter.h"
#include "support/case_label.h"
#include "support/test_machine.h"

namespace {

using testing_support::operator<<;

class ExportAllocations : public ::testing::TestWithParam<testing_support::ExportUnderTest> {};

TEST_P(ExportAllocations, None) {
    const testing_support::ExportUnderTest& c = GetParam();
    testing_support::TestMachine machine;
    host::Library library(host::resolve_library_path(c.library));
    const host::ExportFunction function = library.find_export(c.export_name);
    ASSERT_NE(function, nullptr);
    host::VariableTable table;
    for (const auto& [name, value] : machine.inputs()) table.set(name, value);
    HostCallRecord& record = table.record("RESULT");
    function(&record);  // a first call may set up what lives as long as the library

    if (!testing_support::start_counting_allocations()) GTEST_SKIP() << "allocations are counted natively";
    const std::int32_t returned = function(&record);
    const std::size_t allocations = testing_support::stop_counting_allocations();
    EXPECT_EQ(allocations, 0u) << c.export_name << " allocated";
    EXPECT_EQ(returned, 1) << "the export did no work to count";
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportAllocations, ::testing::ValuesIn(testing_support::every_export), testing_support::by_label);

}  // namespace
