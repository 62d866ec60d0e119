// The machine every export has work on.
#include "support/test_machine.h"

#include <filesystem>
#include <fstream>

namespace testing_support {

const ExportUnderTest every_export[9] = {
    {"GetQuendrix", "vantrel", "GetQuendrix", true},   {"GetWexo", "vantrel", "GetWexo", true},
    {"GetZelk", "vantrel", "_GetZelk@4", true},        {"GreaterEqual", "vantrel", "GreaterEqual", false},
    {"GetRegKey", "vantrel", "GetRegKey", true},       {"GetRegKeys", "vantrel", "GetRegKeys", true},
    {"MapRegKeys", "vantrel", "MapRegKeys", true},     {"GetDriverVer", "vantrel", "GetDriverVer", true},
    {"GetHW", "driver", "GetHW", true},
};

TestMachine::TestMachine()
    : header_((std::filesystem::temp_directory_path() / "vantrel-test-machine.h").string()) {
    registry_.install(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\5.5]\r\n\"Path\"=\"a\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0]\r\n\"Path\"=\"b\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\6.0.10]\r\n\"Path\"=\"c\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Strovane\\3.1]\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Pellward\\2.0]\r\n");
    visa_.install("full");
    visa_.set_resources("GPIB0::22::INSTR|ASRL1::INSTR");
    std::ofstream(header_) << "#define X_MAJOR_VERSION 2\r\n#define X_MINOR_VERSION 14\r\n";
    inputs_ = {{"REGISTRY_KEY", "SOFTWARE\\Korvalis\\Quendrix"},
               {"REGISTRY_ITER", "1"},
               {"REGISTRY_CRT", "Path"},
               {"REGISTRY_KEYS", "6.0.10\r6.0\r5.5\r"},
               {"REGISTRY_SEL", "AC"},
               {"STRING_1", "6.0"},
               {"STRING_2", "5.5"},
               {"DRIVER_PATH", header_}};
}

TestMachine::~TestMachine() {
    std::error_code ignored;
    std::filesystem::remove(header_, ignored);
}

}  // namespace testing_support
