// A small stand-in for the VISA library, for the tests and the demo: no VISA implementation
// can be installed here. It exports viOpenDefaultRM, viFindRsrc, viFindNext and viClose
// with VISA's signatures and calling convention (as visa32.dll on Windows, libvisa.so
// elsewhere) and is steered through the environment:
//   VISA_STANDIN_RESOURCES  descriptors to report, separated by '|'
//   VISA_STANDIN_GENERATED  "COUNT,LENGTH": report COUNT descriptors of LENGTH characters
//   VISA_STANDIN_FAIL       comma-separated faults: "open" (viOpenDefaultRM fails),
//                           "zero_session" (it succeeds with session 0), "find"
//                           (viFindRsrc reports VI_ERROR_RSRC_NFOUND), "next_after=N"
//                           (viFindNext fails after N calls), "count=N" (viFindRsrc
//                           reports N matches whatever the list holds), "zero_find_list"
//                           (viFindRsrc succeeds with find list 0), "unterminated"
//                           (descriptors fill all 256 bytes of the buffer, no zero after),
//                           "silent_next" (viFindNext succeeds without writing a descriptor),
//                           "completion_codes" (every call that succeeds returns a positive
//                           completion code rather than VI_SUCCESS)
//   VISA_STANDIN_LOG        a file that receives one line per event: "load PATH",
//                           "open_rm H", "find H", "close H", "unload"
// Built with VISA_STANDIN_PLANTED it is the library an attacker would plant: it reports
// "PLANTED::INSTR" only. Built with VISA_STANDIN_WITHOUT_FIND_NEXT, _WITHOUT_FIND_RSRC,
// _WITHOUT_OPEN_DEFAULT_RM or _WITHOUT_CLOSE it lacks viFindNext, viFindRsrc,
// viOpenDefaultRM or viClose.
// Built with VISA_STANDIN_WITH_HELPER (Windows only) it imports visahelp.dll and reports
// the one descriptor that helper names, so a test sees which helper the loader found.
// visa_standin_open_handles() tells how many handles are open, for a program that keeps
// the library loaded and asks it directly instead of reading the log.
// Built without VANTREL_TEST_HOOKS (the VISA stand-in that ships beside hostsim for a fleet's
// machines) it reads VISA_STANDIN_RESOURCES alone: no faults, no log, no generated lists.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#define VISA_STANDIN_EXPORT extern "C" __declspec(dllexport)
// VISA's calling convention on Windows (stdcall in 32-bit code).
#define VISA_STANDIN_CALL __stdcall
#else
#include <dlfcn.h>

#include "test_hooks/allocation_scope.h"
#define VISA_STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#define VISA_STANDIN_CALL
#endif

#if defined(VISA_STANDIN_WITH_HELPER)
extern "C" __declspec(dllimport) const char* visa_helper_descriptor();
#endif

// VISA's types, status values and buffer size as the published VISA standard states them,
// written out here rather than taken from the product's own declarations: a stand-in that
// shared them would agree with a wrong value there instead of showing it.
namespace vi {

using Status = std::int32_t;  // negative: an error; 0 or positive: success
using Session = std::uint32_t;
using FindList = std::uint32_t;
using Object = std::uint32_t;

constexpr Status success = 0;                                              // VI_SUCCESS
constexpr Status success_max_count = 0x3FFF0006;                           // VI_SUCCESS_MAX_CNT
constexpr Status error_resource_not_found = static_cast<Status>(0xBFFF0011u);  // VI_ERROR_RSRC_NFOUND
constexpr Status error_failed = static_cast<Status>(0xBFFF011Au);          // an error status
constexpr std::size_t find_buffer_size = 256;                              // VI_FIND_BUFLEN

}  // namespace vi

namespace {

// The stand-in allocates freely; a test counting an export's allocations leaves it aside.
#if defined(_WIN32)
struct StandinWork {};
#else
using StandinWork = platform::StandinAllocationScope;
#endif

#if defined(VISA_STANDIN_PLANTED)
constexpr bool planted = true;
#else
constexpr bool planted = false;
#endif

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A variable that steers a test (VISA_STANDIN_FAIL, _LOG, _GENERATED): read in test builds
// alone; the VISA stand-in that ships lists VISA_STANDIN_RESOURCES and nothing else.
std::string test_setting(const char* name) {
#if VANTREL_TEST_HOOKS
    return environment(name);
#else
    (void)name;
    return "";
#endif
}

void log_event(const std::string& event) {
    const std::string path = test_setting("VISA_STANDIN_LOG");
    if (path.empty()) return;
    if (FILE* log = std::fopen(path.c_str(), "a")) {
        std::fprintf(log, "%s\n", event.c_str());
        std::fclose(log);
    }
}

// The number after "NAME=" in the fault list, or -1.
long fault_number(const std::string& faults, const std::string& name) {
    const std::string list = "," + faults;
    const auto at = list.find("," + name + "=");
    return at == std::string::npos ? -1 : std::strtol(list.c_str() + at + name.size() + 2, nullptr, 10);
}

bool fault(const std::string& name) {
    return ("," + test_setting("VISA_STANDIN_FAIL") + ",").find("," + name + ",") != std::string::npos;
}

std::vector<std::string> generated_resources(const std::string& shape) {
    std::vector<std::string> resources;
    const long count = std::strtol(shape.c_str(), nullptr, 10);
    const auto comma = shape.find(',');
    const long length = comma == std::string::npos ? 30 : std::strtol(shape.c_str() + comma + 1, nullptr, 10);
    for (long i = 0; i < count; ++i) {
        std::string name = "USB0::" + std::to_string(i) + "::";
        name.resize(length > 9 ? static_cast<std::size_t>(length) - 7 : name.size(), 'x');
        resources.push_back(name + "::INSTR");
    }
    return resources;
}

std::vector<std::string> resources() {
    if (planted) return {"PLANTED::INSTR"};
#if defined(VISA_STANDIN_WITH_HELPER)
    return {visa_helper_descriptor()};
#endif
    const std::string generated = test_setting("VISA_STANDIN_GENERATED");
    if (!generated.empty()) return generated_resources(generated);
    std::vector<std::string> list;
    const std::string text = environment("VISA_STANDIN_RESOURCES");
    for (std::size_t start = 0; start < text.size();) {
        const auto end = std::min(text.find('|', start), text.size());
        list.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

std::string own_path() {
#if defined(_WIN32)
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&own_path), &self);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    return path;
#else
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&own_path), &info);
    return info.dli_fname != nullptr ? info.dli_fname : "";
#endif
}

// Logs loading and unloading, so that a test can see which file was loaded and that it
// was released again.
struct LoadLogger {
    LoadLogger() { log_event("load " + own_path()); }
    ~LoadLogger() { log_event("unload"); }
} load_logger;

struct FindState {
    std::vector<std::string> resources;
    std::size_t position = 0;
    long next_calls = 0;
};

FindState find_state;
std::uint32_t last_handle = 0;

int open_handles = 0;

// What a call that did its work returns: VI_SUCCESS, or a completion code above it, which
// a caller must take as success too.
vi::Status succeeded() {
    return fault("completion_codes") ? vi::success_max_count : vi::success;
}

void copy_descriptor(const std::string& descriptor, char* buffer) {
    if (fault("unterminated")) {
        std::memcpy(buffer, descriptor.c_str(), std::min<std::size_t>(descriptor.size() + 1, vi::find_buffer_size));
        return;
    }
    std::snprintf(buffer, vi::find_buffer_size, "%s", descriptor.c_str());
}

}  // namespace

#if VANTREL_TEST_HOOKS
VISA_STANDIN_EXPORT int visa_standin_open_handles() {
    return open_handles;
}
#endif

#if !defined(VISA_STANDIN_WITHOUT_OPEN_DEFAULT_RM)
VISA_STANDIN_EXPORT vi::Status VISA_STANDIN_CALL viOpenDefaultRM(vi::Session* session) {
    const StandinWork work;
    if (fault("open")) return vi::error_failed;
    if (fault("zero_session")) {
        *session = 0;
        return succeeded();
    }
    *session = ++last_handle;
    ++open_handles;
    log_event("open_rm " + std::to_string(*session));
    return succeeded();
}
#endif

#if !defined(VISA_STANDIN_WITHOUT_FIND_RSRC)
VISA_STANDIN_EXPORT vi::Status VISA_STANDIN_CALL viFindRsrc(vi::Session, char* expression,
                                                         vi::FindList* find_list,
                                                         std::uint32_t* count, char* descriptor) {
    const StandinWork work;
    find_state = FindState{resources(), 0, 0};
    if (fault("find") || find_state.resources.empty() || std::strcmp(expression, "?*INSTR") != 0) {
        return vi::error_resource_not_found;
    }
    if (fault("zero_find_list")) {
        *find_list = 0;
    } else {
        *find_list = ++last_handle;
        ++open_handles;
        log_event("find " + std::to_string(*find_list));
    }
    const long forced_count = fault_number(test_setting("VISA_STANDIN_FAIL"), "count");
    *count = forced_count >= 0 ? static_cast<std::uint32_t>(forced_count)
                               : static_cast<std::uint32_t>(find_state.resources.size());
    copy_descriptor(find_state.resources[find_state.position++], descriptor);
    return succeeded();
}

#endif

#if !defined(VISA_STANDIN_WITHOUT_FIND_NEXT)
VISA_STANDIN_EXPORT vi::Status VISA_STANDIN_CALL viFindNext(vi::FindList, char* descriptor) {
    const StandinWork work;
    const long fail_after = fault_number(test_setting("VISA_STANDIN_FAIL"), "next_after");
    if (fail_after >= 0 && find_state.next_calls++ >= fail_after) return vi::error_resource_not_found;
    if (find_state.position >= find_state.resources.size()) return vi::error_resource_not_found;
    if (fault("silent_next")) return succeeded();
    copy_descriptor(find_state.resources[find_state.position++], descriptor);
    return succeeded();
}
#endif

#if !defined(VISA_STANDIN_WITHOUT_CLOSE)
VISA_STANDIN_EXPORT vi::Status VISA_STANDIN_CALL viClose(vi::Object object) {
    const StandinWork work;
    --open_handles;
    log_event("close " + std::to_string(object));
    return succeeded();
}
#endif
