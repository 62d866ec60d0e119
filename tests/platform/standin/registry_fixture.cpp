// Stand-in side of the test registry: a .reg file named by VANTREL_REGISTRY.
#include "support/registry_fixture.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace testing_support {

RegistryFixture::RegistryFixture()
    : file_("/tmp/vantrel-test-" + std::to_string(getpid()) + ".reg"),
      changed_file_("/tmp/vantrel-test-" + std::to_string(getpid()) + "-changed.reg") {}

RegistryFixture::~RegistryFixture() {
    clear();
}

namespace {

void write_reg_file(const std::string& file, const std::string& reg_body) {
    std::ofstream(file, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n" << reg_body;
}

}  // namespace

void RegistryFixture::install_export(const std::string& reg_body) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + reg_body;
    std::string utf16 = "\xFF\xFE";
    for (std::size_t at = 0; at < text.size();) {
        // UTF-8 to UTF-16LE, for the text the tests write.
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t i = 1; i < length && at + i < text.size(); ++i) code = code << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        at += length;
        const auto unit = [&](unsigned value) {
            utf16 += static_cast<char>(value & 0xFF);
            utf16 += static_cast<char>(value >> 8);
        };
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    std::ofstream(file_, std::ios::binary) << utf16;
    setenv("VANTREL_REGISTRY", file_.c_str(), 1);
    unsetenv("VANTREL_REGISTRY_MACHINE");
}

void RegistryFixture::install(const std::string& reg_body) {
    write_reg_file(file_, reg_body);
    setenv("VANTREL_REGISTRY", file_.c_str(), 1);
    unsetenv("VANTREL_REGISTRY_MACHINE");
}

// The stand-in tells a 64-bit machine's export by its WOW6432Node key; a 64-bit machine is
// stated as one too, as hostsim --machine 64 states it, for an export without that key.
void RegistryFixture::install_machine(const std::string& reg_body, MachineShape shape) {
    install(shape == MachineShape::one_view ? folded_into_one_view(reg_body) : reg_body);
    if (shape != MachineShape::one_view) setenv("VANTREL_REGISTRY_MACHINE", "64", 1);
}

std::vector<MachineShape> machine_shapes() {
    return {MachineShape::one_view, MachineShape::wow64};
}

bool RegistryFixture::change_after_subkey_opens(unsigned long opens, const std::string& reg_body) {
    write_reg_file(changed_file_, reg_body);
    setenv("VANTREL_REGISTRY_CHANGED", changed_file_.c_str(), 1);
    setenv("VANTREL_REGISTRY_CHANGE_AFTER", std::to_string(opens).c_str(), 1);
    return true;
}

void RegistryFixture::clear() {
    unsetenv("VANTREL_REGISTRY");
    unsetenv("VANTREL_REGISTRY_CHANGED");
    unsetenv("VANTREL_REGISTRY_CHANGE_AFTER");
    unsetenv("VANTREL_REGISTRY_MACHINE");
    unsetenv("VANTREL_CODE_PAGE");
    std::remove(file_.c_str());
    std::remove(changed_file_.c_str());
}

}  // namespace testing_support

namespace testing_support {

bool use_code_page(unsigned code_page) {
    setenv("VANTREL_CODE_PAGE", std::to_string(code_page).c_str(), 1);
    return true;
}

bool inject_registry_faults(const std::string& faults) {
    setenv("VANTREL_REGISTRY_FAIL", faults.c_str(), 1);
    return true;
}

bool state_machine_kind(const std::string& bits) {
    setenv("VANTREL_REGISTRY_MACHINE", bits.c_str(), 1);
    return true;
}

void clear_registry_faults() {
    unsetenv("VANTREL_REGISTRY_FAIL");
}

}  // namespace testing_support

namespace testing_support {

bool install_registry_file(RegistryFixture& fixture, const std::string& file_bytes) {
    std::ofstream(fixture.file(), std::ios::binary) << file_bytes;
    setenv("VANTREL_REGISTRY", fixture.file().c_str(), 1);
    return true;
}

}  // namespace testing_support

namespace {

std::string supplied_text;
std::uint64_t supplied_generation = 0;
bool supplying = false;

}  // namespace

// The stand-in asks the test program for the registry's text (test_hooks/registry_text.h).
extern "C" __attribute__((visibility("default"))) const char* vantrel_standin_registry_text(std::size_t* size, std::uint64_t* generation) {
    if (!supplying) return nullptr;
    *size = supplied_text.size();
    *generation = supplied_generation;
    return supplied_text.data();
}

namespace testing_support {

bool supply_registry_text(const std::string& reg_body, unsigned long long generation) {
    supplied_text = "Windows Registry Editor Version 5.00\r\n\r\n" + reg_body;
    supplied_generation = generation;
    supplying = true;
    return true;
}

void stop_supplying_registry_text() {
    supplying = false;
}

}  // namespace testing_support
