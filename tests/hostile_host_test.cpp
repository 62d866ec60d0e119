// Every export against host tables that leave it little room: value slots of 1 and 2
// bytes and of about the answer's length, names too wide for their slots, a full table, no
// result name, 64 KiB values. Whatever the shape, an export writes only within the slots
// (the table's guard bytes, poisoned under AddressSanitizer, catch any other access) and
// answers as it would to a roomy host holding the same, cut, variables, its answer cut to
// the slot.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>

#include "host/library.h"
#include "host/variable_table.h"
#include "support/case_label.h"
#include "support/test_machine.h"

namespace {

using testing_support::ExportUnderTest;
using testing_support::operator<<;
using testing_support::Variables;

const std::string result_name = "RESULT";

struct Outcome {
    std::int32_t returned;
    std::optional<std::string> answer;
    Variables variables;  // all but the result
    bool guards_intact;
};

Outcome call(const ExportUnderTest& e, host::TableShape shape, const Variables& inputs, const char* result) {
    host::Library library(host::resolve_library_path(e.library));
    const host::ExportFunction function = library.find_export(e.export_name);
    host::VariableTable table(shape);
    for (const auto& [name, value] : inputs) table.set(name, value);
    HostCallRecord& record = table.record(result ? result : "");
    if (result == nullptr) record.result_name = nullptr;
    Outcome outcome{function ? function(&record) : -1, table.get(result_name), {}, table.guards_intact()};
    for (const auto& variable : table.variables()) {
        if (variable.first != "%" + result_name + "%") outcome.variables.push_back(variable);
    }
    return outcome;
}

Variables stored(const Variables& inputs) {
    Variables all;
    for (const auto& [name, value] : inputs) all.emplace_back("%" + name + "%", value);
    return all;
}

// Slots of width bytes, or of the length of the answer a roomy host gets, plus an offset.
struct SlotWidth {
    const char* label;
    std::uint32_t width;
    int relative_to_answer;  // when set, width = answer length + this
    bool relative;
};

const SlotWidth slot_widths[] = {
    {"width_1", 1, 0, false},
    {"width_2", 2, 0, false},
    {"answer_length", 0, 0, true},
    {"answer_length_plus_1", 0, 1, true},
    {"width_64K", 64 * 1024 + 1, 0, false},
};

class NarrowSlots : public ::testing::TestWithParam<std::tuple<ExportUnderTest, SlotWidth>> {};

TEST_P(NarrowSlots, AnswerCutToSlotAndNothingElseTouched) {
    const auto& [e, slot] = GetParam();
    testing_support::TestMachine machine;
    const Outcome roomy = call(e, {16, 32, 4096}, machine.inputs(), result_name.c_str());
    ASSERT_NE(roomy.returned, -1) << "no export " << e.export_name;
    // GreaterEqual answers by its return value alone; its slots are measured on its inputs.
    std::size_t measure = roomy.answer.value_or("").size();
    if (!e.writes_result) {
        for (const auto& input : machine.inputs()) measure = std::max(measure, input.second.size());
    }
    const std::uint32_t width =
        slot.relative ? static_cast<std::uint32_t>(measure + slot.relative_to_answer) : slot.width;
    ASSERT_GT(width, 0u);

    // What the narrow table holds is the inputs cut to its slots.
    Variables cut_inputs;
    for (const auto& [name, value] : machine.inputs()) cut_inputs.emplace_back(name, value.substr(0, width - 1));
    const Outcome expected = call(e, {16, 32, 64 * 1024 + 1}, cut_inputs, result_name.c_str());
    const Outcome narrow = call(e, {16, 32, width}, machine.inputs(), result_name.c_str());

    EXPECT_TRUE(narrow.guards_intact);
    EXPECT_EQ(narrow.returned, expected.returned);
    EXPECT_EQ(narrow.variables, stored(cut_inputs));
    if (e.writes_result) {
        ASSERT_TRUE(narrow.answer.has_value());
        EXPECT_EQ(*narrow.answer, expected.answer.value_or("").substr(0, width - 1));
    } else {
        EXPECT_FALSE(narrow.answer.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Exports, NarrowSlots,
                         ::testing::Combine(::testing::ValuesIn(testing_support::every_export),
                                            ::testing::ValuesIn(slot_widths)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) + "_" + std::get<1>(info.param).label;
                         });

// Tables an answer cannot be written into: it is dropped, and nothing else changes.
struct NoRoom {
    const char* label;
    host::TableShape shape;
    const char* result;  // nullptr: the record names no result variable
};

const NoRoom no_room[] = {
    {"result_name_wider_than_name_slot", {16, 16, 1024}, "A_RESULT_NAME_TOO_WIDE"},
    {"full_table", {8, 32, 1024}, "RESULT"},
    {"no_result_name", {16, 32, 1024}, nullptr},
    {"result_name_of_30", {16, 64, 1024}, "RESULT_NAME_OF_THIRTY_CHARS_XY"},
};

class NoRoomForAnswer : public ::testing::TestWithParam<std::tuple<ExportUnderTest, NoRoom>> {};

TEST_P(NoRoomForAnswer, TableUnchanged) {
    const auto& [e, room] = GetParam();
    testing_support::TestMachine machine;
    ASSERT_EQ(machine.inputs().size(), 8u) << "full_table holds exactly the inputs";
    const Outcome outcome = call(e, room.shape, machine.inputs(), room.result);
    EXPECT_NE(outcome.returned, -1);
    EXPECT_TRUE(outcome.guards_intact);
    EXPECT_FALSE(outcome.answer.has_value());
    EXPECT_EQ(outcome.variables, stored(machine.inputs()));
}

INSTANTIATE_TEST_SUITE_P(Exports, NoRoomForAnswer,
                         ::testing::Combine(::testing::ValuesIn(testing_support::every_export),
                                            ::testing::ValuesIn(no_room)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) + "_" + std::get<1>(info.param).label;
                         });

// Every input 64 KiB long: nothing is read or written past a buffer.
TEST(HugeValues, EveryExportStaysInBounds) {
    testing_support::TestMachine machine;
    Variables huge;
    for (const auto& [name, value] : machine.inputs()) huge.emplace_back(name, std::string(64 * 1024, '9'));
    for (const ExportUnderTest& e : testing_support::every_export) {
        const Outcome outcome = call(e, {16, 32, 64 * 1024 + 1}, huge, result_name.c_str());
        EXPECT_NE(outcome.returned, -1) << e.export_name;
        EXPECT_TRUE(outcome.guards_intact) << e.export_name;
        EXPECT_EQ(outcome.variables, stored(huge)) << e.export_name;
    }
}

}  // namespace
