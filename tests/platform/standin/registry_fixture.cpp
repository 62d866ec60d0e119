// Stand-in side of the test registry: a .reg file named by VANTREL_REGISTRY.
#include "support/registry_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace testing_support {

RegistryFixture::RegistryFixture()
    : file_("/tmp/vantrel-test-" + std::to_string(getpid()) + ".reg") {}

RegistryFixture::~RegistryFixture() {
    clear();
}

void RegistryFixture::install(const std::string& reg_body) {
    std::ofstream(file_, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n" << reg_body;
    setenv("VANTREL_REGISTRY", file_.c_str(), 1);
}

void RegistryFixture::clear() {
    unsetenv("VANTREL_REGISTRY");
    std::remove(file_.c_str());
}

}  // namespace testing_support

namespace testing_support {

bool inject_registry_faults(const std::string& faults) {
    setenv("VANTREL_REGISTRY_FAIL", faults.c_str(), 1);
    return true;
}

void clear_registry_faults() {
    unsetenv("VANTREL_REGISTRY_FAIL");
}

}  // namespace testing_support
