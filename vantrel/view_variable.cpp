// REGISTRY_VIEW: which view of HKEY_LOCAL_MACHINE\SOFTWARE a script's registry reads see.
#include "vantrel/view_variable.h"

#include <array>
#include <cstring>

#include "vantrel/whole_variable.h"

namespace vantrel {

platform::RegistryView read_registry_view(const HostCallRecord* record) noexcept {
    // Room for "32" or "64" and nothing longer: a longer value does not fit whole and so
    // names no view, rather than being cut to one that does.
    std::array<char, 3> view;
    if (!read_whole_variable(record, "REGISTRY_VIEW", view)) return platform::RegistryView::own;
    if (std::strcmp(view.data(), "64") == 0) return platform::RegistryView::wow64_64;
    if (std::strcmp(view.data(), "32") == 0) return platform::RegistryView::wow64_32;
    return platform::RegistryView::own;
}

}  // namespace vantrel
