// Stand-in only: registry redirection on a 64-bit machine, as measured in Wine's WoW64.
// A 32-bit read of SOFTWARE\X finds SOFTWARE\WOW6432Node\X, one of SOFTWARE\Classes\X finds
// SOFTWARE\Classes\WOW6432Node\X; a path already naming WOW6432Node, SOFTWARE\Classes itself
// and every path outside SOFTWARE are the same key in both views.
#include "standin_registry/wow64_redirection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "regfile/names_and_values.h"

namespace standin_registry {
namespace {

// The names along the path, with the empty ones a doubled or trailing backslash makes
// passed over, as the registry passes them over.
std::vector<std::string_view> names_along(std::string_view path) {
    std::vector<std::string_view> names;
    regfile::split_key_path(path, names);
    names.erase(std::remove(names.begin(), names.end(), std::string_view()), names.end());
    return names;
}

// Where the 32-bit view's own node goes in the path: after SOFTWARE, or after
// SOFTWARE\Classes; none when the path is shared by both views, as it is when it names the
// node itself. SOFTWARE itself leads to the node; SOFTWARE\Classes itself is one key in
// both views, and only what lies below it is redirected.
std::size_t redirected_after(const std::vector<std::string_view>& names) {
    constexpr std::size_t shared = 0;
    if (names.empty() || !regfile::same_name(names[0], "SOFTWARE")) return shared;
    if (names.size() == 1) return 1;
    if (regfile::same_name(names[1], "WOW6432Node")) return shared;
    if (!regfile::same_name(names[1], "Classes")) return 1;
    if (names.size() == 2 || regfile::same_name(names[2], "WOW6432Node")) return shared;
    return 2;
}

}  // namespace

bool holds_wow64_node(const regfile::Export& registry) {
    const regfile::ExportKey* software = registry.find_subkey(registry.machine(), "SOFTWARE");
    return software != nullptr && registry.find_subkey(*software, "WOW6432Node") != nullptr;
}

bool stated_sixty_four_bit_machine() {
    const char* stated = std::getenv("VANTREL_REGISTRY_MACHINE");
    return stated != nullptr && std::strcmp(stated, "64") == 0;
}

std::string redirected_path(const std::string& path, bool sixty_four_bit_view, bool sixty_four_bit_machine) {
    // A path starting with a backslash opens nothing, in any view.
    if (!sixty_four_bit_machine || sixty_four_bit_view || path.empty() || path.front() == '\\') {
        return path;
    }
    const std::vector<std::string_view> names = names_along(path);
    const std::size_t node = redirected_after(names);
    if (node == 0) return path;
    std::string redirected;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i == node) redirected += "WOW6432Node\\";
        redirected.append(names[i]).push_back('\\');
    }
    if (node == names.size()) redirected += "WOW6432Node\\";
    redirected.pop_back();
    return redirected;
}

}  // namespace standin_registry
