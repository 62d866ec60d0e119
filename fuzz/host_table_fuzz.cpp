// Fuzzes the host's variable table itself: random capacity, widths down to 1, counts past
// capacity, names and values with or without terminators, any result name; every export
// (but GetDriverVer, whose path variable could name a device that never ends) is called on it.
#include <algorithm>
#include <cstring>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"

namespace {

const char* const known_names[] = {"RESULT", "STRING_1", "STRING_2", "REGISTRY_KEY", "REGISTRY_ITER",
                                   "REGISTRY_MIN", "REGISTRY_CRT", "REGISTRY_KEYS", "REGISTRY_SEL"};
constexpr std::uint32_t known_count = sizeof known_names / sizeof known_names[0];

std::string variable_name(fuzzing::FuzzInput& input) {
    const std::uint32_t choice = input.number(known_count);
    return choice < known_count ? known_names[choice] : input.text(40);
}

// Fills a slot with "%NAME%" or raw bytes, terminated or not, never past its width.
void fill_slot(char* slot, std::uint32_t width, std::string text) {
    text.resize(std::min<std::size_t>(text.size(), width));
    std::memcpy(slot, text.data(), text.size());
    if (text.size() < width) slot[text.size()] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input(data, size);
    host::TableShape shape;
    shape.capacity = input.number(40);
    shape.name_width = 1 + input.number(80);
    shape.value_width = 1 + input.number(2047);
    host::VariableTable table(shape);
    HostCallRecord& record = table.record("RESULT");
    for (std::uint32_t slot = 0; slot < shape.capacity; ++slot) {
        const bool wrapped = input.byte() & 1;
        fill_slot(record.names + slot * shape.name_width, shape.name_width,
                  wrapped ? "%" + variable_name(input) + "%" : input.text(90));
        fill_slot(record.values + slot * shape.value_width, shape.value_width, input.text(2100));
    }
    record.count = input.number(shape.capacity + 3);
    const std::string result_name = variable_name(input);
    const std::uint32_t count = record.count;
    int returned = 0;
    for (const char* const* name = fuzzing::vantrel_exports; *name != nullptr; ++name) {
        if (std::strcmp(*name, "GetDriverVer") == 0) continue;
        table.record(result_name).count = count;
        fuzzing::call_export("vantrel", *name, table, result_name, returned);
    }
    return 0;
}
