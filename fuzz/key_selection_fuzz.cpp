// Fuzzes MapRegKeys with any key list and selection, and checks the answer is made of
// lines of the list, each followed by "&" (the lists here hold no "&" of their own).
#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input(data, size);
    const std::string keys = input.text_of("\r\r\r\n5.0xAZ", 1500);
    const std::string selection = input.text(400);
    int returned = 0;
    const std::string answer =
        fuzzing::call_with("vantrel", "MapRegKeys", {{"REGISTRY_KEYS", keys}, {"REGISTRY_SEL", selection}}, returned);
    if (returned == -1) return 0;
    if (returned != 1) fuzzing::finding("MapRegKeys returned " + std::to_string(returned));
    if (!answer.empty() && answer.back() != '&') fuzzing::finding("answer does not end with &");
    for (std::size_t start = 0; start < answer.size();) {
        const std::size_t end = answer.find('&', start);
        const std::string line = answer.substr(start, end - start);
        if (("\r" + keys).find("\r" + line + "\r") == std::string::npos) fuzzing::finding("selected text is no line of the list");
        start = end + 1;
    }
    return 0;
}
