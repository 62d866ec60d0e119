// Windows side: the libraries read the real registry. This file is used for Windows only.
#include "platform/registry_source.h"

namespace platform {

bool use_registry_file(const std::string& path, std::string& error) {
    error = "--registry is for builds away from Windows; here the real registry is read "
            "(import " + path + " with: regedit /S " + path + ")";
    return false;
}

}  // namespace platform
