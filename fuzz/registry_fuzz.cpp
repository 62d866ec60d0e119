// Fuzzes the registry exports through the stand-in: a registry of keys with names up to 255
// bytes and values of every type and size, in the text of a .reg file handed to the stand-in
// in memory (registry_text.h), then one of GetQuendrix, GetWexo and _GetZelk@4, GetRegKey and
// GetRegKeys read it, and MapRegKeys reads GetRegKeys' answer as a script would pass it on.
#include <cstdio>
#include <string>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"
#include "test_hooks/registry_text.h"

namespace {

// The registry of the current input, and a number the stand-in sees change with it.
std::string registry;
std::uint64_t registry_generation = 0;

const char* const parent_keys[] = {"SOFTWARE\\Korvalis\\Quendrix", "SOFTWARE\\Korvalis\\Strovane",
                                   "SOFTWARE\\Korvalis\\Pellward", "SOFTWARE\\VantrelTest"};
const char* const value_names[] = {"", "Path", "path", "InstallDir"};
const char* const product_exports[] = {"GetQuendrix", "GetWexo", "_GetZelk@4"};

// Key-name bytes: anything a .reg key line can carry (no backslash, no line break, no zero).
const std::string name_alphabet = "0123456789....--  abcABCxyzXYZ_[]&%\"\x7f\x80\xe9\xff";

// The bytes as a .reg file's hex list, appended to out.
void append_hex_bytes(const std::string& data, std::string& out) {
    static const char digits[] = "0123456789abcdef";
    if (data.empty()) return;
    const std::size_t start = out.size();
    out.resize(start + data.size() * 3 - 1, ',');
    char* at = &out[start];
    for (const char c : data) {
        at[0] = digits[static_cast<unsigned char>(c) >> 4];
        at[1] = digits[c & 15];
        at += 3;
    }
}

void append_value_line(fuzzing::FuzzInput& input, std::string& text) {
    const std::string name = value_names[input.number(3)];
    const std::uint32_t type = input.number(11);
    // Mostly short texts, now and then one longer than a query buffer.
    std::string data = input.byte() < 16 ? std::string(900 + input.number(300), 'v') : input.text(60);
    if (input.byte() & 1) data.push_back('\0');
    char type_text[16];
    std::snprintf(type_text, sizeof type_text, "=hex(%x):", type);
    text += name.empty() ? "@" : "\"" + name + "\"";
    text += type_text;
    append_hex_bytes(data, text);
    text += '\n';
}

std::string registry_text(fuzzing::FuzzInput& input) {
    std::string text = "REGEDIT4\n\n";
    const std::uint32_t subkeys = input.number(60);
    for (std::uint32_t i = 0; i < subkeys && !input.empty(); ++i) {
        const std::string parent = parent_keys[input.number(3)];
        std::string name = input.byte() < 8 ? std::string(1 + input.number(254), '9') : input.text_of(name_alphabet, 12);
        if (name.empty() || name.front() == ' ' || name.back() == ' ') name = "k" + name + "k";
        text += "[HKEY_LOCAL_MACHINE\\" + parent + "\\" + name + "]\n";
        const std::uint32_t values = input.number(2);
        for (std::uint32_t v = 0; v < values; ++v) append_value_line(input, text);
    }
    return text;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* vantrel_standin_registry_text(std::size_t* size, std::uint64_t* generation) {
    *size = registry.size();
    *generation = registry_generation;
    return registry.data();
}

namespace {

// The libraries must see the registry this target hands over, or every input would run
// against an empty registry.
bool registry_reaches_stand_in() {
    registry = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvalis\\Quendrix\\1.5]\n";
    ++registry_generation;
    int returned = 0;
    return fuzzing::call_with("vantrel", "GetQuendrix", {}, returned) == "1.5";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool reaches = registry_reaches_stand_in();
    if (!reaches) fuzzing::finding("the stand-in does not read the registry this target hands over");
    fuzzing::FuzzInput input(data, size);
    const std::string key = parent_keys[input.number(3)];
    const std::string lower_bound = input.text_of(name_alphabet, 6);
    const std::string value_name = value_names[input.number(3)];
    const std::string index = std::to_string(static_cast<int>(input.number(70)) - 2);
    const std::string selection = input.text_of("ABCDEFGHIJKLMNOPQRSTUVWXYZa", 10);
    const char* const product = product_exports[input.number(2)];
    registry = registry_text(input);
    ++registry_generation;

    // The three product exports walk their keys alike: each input is read by one of them.
    int returned = 0;
    fuzzing::call_with("vantrel", product, {}, returned, {4, 32, 16});
    // Room for every variable these exports read or write (1023 characters at most) and no
    // more: a table is set up afresh for every call, and a larger one costs more than the call.
    const host::TableShape shape{8, 32, 2048};
    fuzzing::call_with("vantrel", "GetRegKey", {{"REGISTRY_KEY", key}, {"REGISTRY_ITER", index}}, returned, shape);
    const std::string list = fuzzing::call_with(
        "vantrel", "GetRegKeys", {{"REGISTRY_KEY", key}, {"REGISTRY_MIN", lower_bound}, {"REGISTRY_CRT", value_name}},
        returned, shape);
    if (returned == -1) return 0;
    if (list.size() > 1023 || (!list.empty() && list.back() != '\r')) fuzzing::finding("malformed key list");
    fuzzing::call_with("vantrel", "MapRegKeys", {{"REGISTRY_KEYS", list}, {"REGISTRY_SEL", selection}}, returned,
                       shape);
    return 0;
}
