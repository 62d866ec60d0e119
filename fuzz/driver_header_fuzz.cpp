// Fuzzes GetDriverVer with any header text, and checks the answer is a number with three
// decimals.
#include <cstdio>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"

namespace {

bool three_decimals(const std::string& answer) {
    const std::size_t point = answer.find('.');
    if (point == std::string::npos || answer.size() != point + 4 || point == 0) return false;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const char c = answer[i];
        if (i != point && !(c >= '0' && c <= '9') && !(i == 0 && c == '-')) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/vantrel-fuzz-header-" + std::to_string(getpid()) + ".h";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    int returned = 0;
    const std::string answer = fuzzing::call_with("vantrel", "GetDriverVer", {{"DRIVER_PATH", path}}, returned);
    if (returned == -1) return 0;
    if (returned != 1) fuzzing::finding("GetDriverVer returned " + std::to_string(returned));
    if (!three_decimals(answer)) fuzzing::finding("answer '" + answer + "' is not a number with three decimals");
    return 0;
}
