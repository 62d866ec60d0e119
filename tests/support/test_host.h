// A test's installer host: one of the project's libraries, loaded as the host loads it,
// and a variable table whose guard bytes are checked after every call.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/library.h"
#include "host/variable_table.h"

namespace testing_support {

class TestHost {
public:
    explicit TestHost(const std::string& library, host::TableShape shape = {})
        : library_(host::resolve_library_path(library)), table_(shape) {}

    // Calls the export with RESULT as the result variable.
    std::int32_t call(const std::string& export_name) {
        const host::ExportFunction function = library_.find_export(export_name);
        EXPECT_NE(function, nullptr) << "no export " << export_name;
        if (function == nullptr) return -1;
        const std::int32_t returned = function(&table_.record("RESULT"));
        EXPECT_TRUE(table_.guards_intact()) << export_name << " wrote outside the variable slots";
        return returned;
    }

    void set(const std::string& name, const std::string& value) { ASSERT_TRUE(table_.set(name, value)); }

    // The result variable, or "<unset>" when the export never wrote it.
    std::string result() const { return table_.get("RESULT").value_or("<unset>"); }

    bool loaded() const { return library_.loaded(); }
    host::VariableTable& table() { return table_; }

private:
    host::Library library_;
    host::VariableTable table_;
};

}  // namespace testing_support
