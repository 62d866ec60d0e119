// Building .reg text for test registries.
#include "support/registry_fixture.h"

namespace testing_support {

std::string subkey_lines(const std::string& path, const std::vector<std::string>& subkeys) {
    std::string text;
    for (const std::string& subkey : subkeys) {
        text += "[HKEY_LOCAL_MACHINE\\" + path + "\\" + subkey + "]\r\n";
    }
    return text;
}

}  // namespace testing_support
