// Stand-in only, in test builds: a registry that fails or changes where a test says, for the
// paths the real registry rarely takes (platform/standin/registry.cpp says which). A build
// without test hooks (one that ships) has neither.
#pragma once

#include <cstdlib>
#include <string>

namespace test_hooks {

#if VANTREL_TEST_HOOKS
// Whether VANTREL_REGISTRY_FAIL (a comma-separated list) names the operation.
inline bool registry_fault(const std::string& operation) {
    const char* faults = std::getenv("VANTREL_REGISTRY_FAIL");
    if (faults == nullptr) return false;
    const std::string list = std::string(",") + faults + ",";
    return list.find("," + operation + ",") != std::string::npos;
}

// The .reg file VANTREL_REGISTRY_CHANGED names once VANTREL_REGISTRY_CHANGE_AFTER subkeys
// have been opened below a main key; nullptr before and after that opening.
inline const char* changed_registry(unsigned long subkey_opens) {
    const char* changed = std::getenv("VANTREL_REGISTRY_CHANGED");
    const char* after = std::getenv("VANTREL_REGISTRY_CHANGE_AFTER");
    if (changed == nullptr || after == nullptr) return nullptr;
    return subkey_opens == std::strtoul(after, nullptr, 10) ? changed : nullptr;
}
#else
inline bool registry_fault(const std::string&) {
    return false;
}

inline const char* changed_registry(unsigned long) {
    return nullptr;
}
#endif

}  // namespace test_hooks
