// Registry names: compared as the registry compares them, and split out of key paths.
#include "regfile/names_and_values.h"

#include <algorithm>

#include "text/characters.h"

namespace regfile {

bool NameOrder::operator()(std::string_view left, std::string_view right) const noexcept {
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
            return static_cast<unsigned char>(characters::to_upper(a)) < static_cast<unsigned char>(characters::to_upper(b));
        });
}

bool same_name(std::string_view left, std::string_view right) noexcept {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) { return characters::to_upper(a) == characters::to_upper(b); });
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
