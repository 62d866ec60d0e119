// Fuzzes GreaterEqual with any two strings, and checks the answer is one of 1 and 0 and
// consistent: when a non-empty STRING_1 counts as lower than a non-empty STRING_2, the
// swapped pair must count as at least as high.
#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input(data, size);
    const std::string first = input.text_of("0123456789..AZaz\x80\xff", 700);
    const std::string second = input.text(700);
    int forward = 0;
    int backward = 0;
    fuzzing::call_with("vantrel", "GreaterEqual", {{"STRING_1", first}, {"STRING_2", second}}, forward);
    fuzzing::call_with("vantrel", "GreaterEqual", {{"STRING_1", second}, {"STRING_2", first}}, backward);
    if (forward == -1) return 0;  // no such export in this build
    if ((forward != 0 && forward != 1) || (backward != 0 && backward != 1)) fuzzing::finding("answer not 0 or 1");
    if (!first.empty() && !second.empty() && forward == 0 && backward == 0) {
        fuzzing::finding("each string counts as lower than the other");
    }
    return 0;
}
