// Fuzzes GetHW through the VISA stand-in: any descriptors, counts and failing calls. The
// list must stay within 16 KiB, hold whole descriptors of at most 255 characters, and
// every handle the stand-in handed out must be closed again. The target keeps the stand-in
// loaded, so that GetHW's loading and releasing it costs no more than a reference count,
// and asks it directly how many handles are open.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"

namespace {

const char* const fault_names[] = {"open", "zero_session", "find", "zero_find_list", "unterminated"};

using OpenHandles = int (*)();

// The stand-in GetHW will find, loaded once for the whole run.
OpenHandles open_handles_of_loaded_visa() {
    void* visa = dlopen("libvisa.so", RTLD_NOW | RTLD_LOCAL);
    if (visa == nullptr) fuzzing::finding("the VISA stand-in cannot be loaded");
    const auto open_handles = reinterpret_cast<OpenHandles>(dlsym(visa, "visa_standin_open_handles"));
    if (open_handles == nullptr) fuzzing::finding("the VISA stand-in does not count its handles");
    return open_handles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const OpenHandles open_handles = open_handles_of_loaded_visa();
    fuzzing::FuzzInput input(data, size);
    std::string faults;
    for (const char* fault : fault_names) {
        if (input.byte() < 24) faults += std::string(fault) + ",";
    }
    if (input.byte() & 1) faults += "next_after=" + std::to_string(input.number(300)) + ",";
    if (input.byte() & 1) faults += "count=" + std::to_string(input.number(0xFFFFFFFFu)) + ",";
    setenv("VISA_STANDIN_FAIL", faults.c_str(), 1);
    if (input.byte() < 32) {
        setenv("VISA_STANDIN_GENERATED",
               (std::to_string(input.number(400)) + "," + std::to_string(8 + input.number(300))).c_str(), 1);
        unsetenv("VISA_STANDIN_RESOURCES");
    } else {
        std::string resources;
        for (std::uint32_t n = input.number(40); n > 0 && !input.empty(); --n) {
            std::string descriptor = input.text(300);
            for (char& c : descriptor) {
                if (c == '|' || c == '\0') c = '_';
            }
            resources += descriptor + "|";
        }
        setenv("VISA_STANDIN_RESOURCES", resources.c_str(), 1);
        unsetenv("VISA_STANDIN_GENERATED");
    }
    const int open_before = open_handles();

    int returned = 0;
    const std::string list = fuzzing::call_with("driver", "GetHW", {}, returned, {4, 32, 20000});
    if (returned != 1) fuzzing::finding("GetHW returned " + std::to_string(returned));
    if (list.size() > 16383) fuzzing::finding("list longer than its buffer");
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find("\r\n", start), list.size());
        if (end - start > 255) fuzzing::finding("descriptor longer than 255 characters");
        start = end + 2;
    }
    if (open_handles() != open_before) fuzzing::finding("a VISA handle was left open");
    return 0;
}
