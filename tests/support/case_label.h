// Rows of a case table print as their label in gtest's messages, not as raw bytes.
#pragma once

#include <ostream>

namespace testing_support {

template <typename Case>
auto operator<<(std::ostream& out, const Case& row) -> decltype(row.label, out) {
    return out << row.label;
}

}  // namespace testing_support
