// Registry names: compared as the registry compares them, and split out of key paths.
#include "regfile/names_and_values.h"

#include <algorithm>

#include "text/characters.h"

namespace regfile {

bool NameOrder::operator()(std::string_view left, std::string_view right) const noexcept {
    // Letters of the same case compare alike folded or not: only from the first byte that
    // differs on is the case folded.
    const std::size_t common = std::min(left.size(), right.size());
    std::size_t at = static_cast<std::size_t>(std::mismatch(left.begin(), left.begin() + common, right.begin()).first - left.begin());
    for (; at < common; ++at) {
        const auto folded_left = static_cast<unsigned char>(characters::to_upper(left[at]));
        const auto folded_right = static_cast<unsigned char>(characters::to_upper(right[at]));
        if (folded_left != folded_right) return folded_left < folded_right;
    }
    return left.size() < right.size();
}

bool same_name(std::string_view left, std::string_view right) noexcept {
    if (left.size() != right.size()) return false;
    // Mostly spelled the same way too: the case is folded only from the first byte that differs on.
    if (left == right) return true;
    const auto differs = std::mismatch(left.begin(), left.end(), right.begin());
    return std::equal(differs.first, left.end(), differs.second,
                      [](char a, char b) { return characters::to_upper(a) == characters::to_upper(b); });
}

void split_key_path(std::string_view path, std::vector<std::string_view>& names) {
    names.clear();
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find('\\', start);
        names.push_back(path.substr(start, end - start));
        if (end == std::string_view::npos) return;
        start = end + 1;
    }
}

}  // namespace regfile
