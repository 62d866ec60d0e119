// Rows of a case table print as their label in gtest's messages, not as raw bytes.
#pragma once

#include <ostream>
#include <string>

namespace testing_support {

template <typename Case>
auto operator<<(std::ostream& out, const Case& row) -> decltype(row.label, out) {
    return out << row.label;
}

// Names each instantiated case after its row's label: INSTANTIATE_TEST_SUITE_P(..., by_label).
inline constexpr auto by_label = [](const auto& info) { return std::string(info.param.label); };

}  // namespace testing_support
