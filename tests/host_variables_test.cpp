// Reading and writing host variables through the host call record, against tables of
// many shapes, including hostile ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/variable_table.h"
#include "hostcall/host_call.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

using Variables = std::vector<std::pair<std::string, std::string>>;

const std::string name29(29, 'N');
const std::string name30(30, 'N');

// Puts a stored name and value straight into a slot, as a host may lay its table out.
void put_slot(host::VariableTable& table, std::uint32_t slot, const std::string& stored_name,
              const std::string& value) {
    HostCallRecord& record = table.record("RESULT");
    std::memcpy(record.names + slot * record.name_width, stored_name.c_str(), stored_name.size() + 1);
    std::memcpy(record.values + slot * record.value_width, value.c_str(), value.size() + 1);
    if (record.count <= slot) record.count = slot + 1;
}

// Fills the slots as a host would have, in place: a table cannot move, its record points
// into it.
void fill_slots(host::VariableTable& table, const Variables& stored) {
    for (std::uint32_t slot = 0; slot < stored.size(); ++slot) {
        put_slot(table, slot, stored[slot].first, stored[slot].second);
    }
}

struct ReadCase {
    const char* label;
    host::TableShape shape;
    Variables stored;
    std::string bare_name;
    std::size_t destination_size;
    std::string expected;
    std::size_t expected_length;
};

const ReadCase read_cases[] = {
    {"found", {4, 32, 64}, {{"%A%", "1"}, {"%KEY%", "value"}}, "KEY", 64, "value", 5},
    {"letter_case_differs", {4, 32, 64}, {{"%registry_key%", "x"}}, "REGISTRY_KEY", 64, "", 0},
    {"missing", {4, 32, 64}, {{"%A%", "1"}}, "B", 64, "", 0},
    {"first_match_wins", {4, 32, 64}, {{"%K%", "first"}, {"%K%", "second"}}, "K", 64, "first", 5},
    {"empty_table", {4, 32, 64}, {}, "K", 64, "", 0},
    {"name_of_29", {2, 40, 16}, {{"%" + name29 + "%", "yes"}}, name29, 16, "yes", 3},
    {"name_of_30_never_matches", {2, 40, 16}, {{"%" + name30 + "%", "no"}}, name30, 16, "", 0},
    {"truncated_to_destination", {2, 16, 64}, {{"%K%", "abcdefgh"}}, "K", 4, "abc", 8},
    {"destination_of_one", {2, 16, 64}, {{"%K%", "abc"}}, "K", 1, "", 3},
    {"empty_value", {2, 16, 64}, {{"%K%", ""}}, "K", 8, "", 0},
};

class ReadHostVariable : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadHostVariable, CopiesBoundedValue) {
    const ReadCase& c = GetParam();
    host::VariableTable table(c.shape);
    fill_slots(table, c.stored);
    std::vector<char> destination(c.destination_size + 8, '#');
    const std::size_t length = hostcall::read_host_variable(&table.record("RESULT"), c.bare_name.c_str(),
                                                            destination.data(), c.destination_size);
    EXPECT_EQ(std::string(destination.data()), c.expected);
    EXPECT_EQ(length, c.expected_length);
    for (std::size_t i = c.destination_size; i < destination.size(); ++i) {
        ASSERT_EQ(destination[i], '#') << "written past the destination at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadHostVariable, ::testing::ValuesIn(read_cases), testing_support::by_label);

struct WriteCase {
    const char* label;
    host::TableShape shape;
    Variables stored;
    std::string bare_name;
    std::string text;
    Variables expected;
};

const std::string long_text(5000, 'v');

const WriteCase write_cases[] = {
    {"overwrites_in_place", {4, 32, 64}, {{"%A%", "1"}, {"%K%", "old"}}, "K", "new", {{"%A%", "1"}, {"%K%", "new"}}},
    {"appends_new_variable", {4, 32, 64}, {{"%A%", "1"}}, "K", "v", {{"%A%", "1"}, {"%K%", "v"}}},
    {"appends_at_slot_0", {4, 32, 64}, {}, "K", "v", {{"%K%", "v"}}},
    {"full_table_unchanged", {2, 32, 64}, {{"%A%", "1"}, {"%B%", "2"}}, "K", "v", {{"%A%", "1"}, {"%B%", "2"}}},
    {"full_table_still_overwrites", {1, 32, 64}, {{"%K%", "1"}}, "K", "2", {{"%K%", "2"}}},
    {"value_cut_to_width", {2, 32, 8}, {}, "K", "abcdefghij", {{"%K%", "abcdefg"}}},
    {"long_value_cut_to_width", {2, 32, 1024}, {}, "K", long_text, {{"%K%", long_text.substr(0, 1023)}}},
    {"value_width_one", {2, 32, 1}, {}, "K", "abc", {{"%K%", ""}}},
    // Slots that hold no value, not even its zero: the variable is neither created nor written.
    {"value_width_zero", {2, 32, 0}, {}, "K", "abc", {}},
    {"name_width_too_small", {2, 4, 32}, {}, "KEY", "v", {}},
    {"name_width_exact", {2, 6, 32}, {}, "KEY", "v", {{"%KEY%", "v"}}},
    {"name_of_29_written", {2, 32, 32}, {}, name29, "v", {{"%" + name29 + "%", "v"}}},
    {"name_of_30_not_written", {2, 64, 32}, {}, name30, "v", {}},
    {"name_of_30_not_cut_into_29", {2, 64, 32}, {{"%" + name29 + "%", "keep"}}, name29 + "X", "v",
     {{"%" + name29 + "%", "keep"}}},
};

class WriteHostVariable : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteHostVariable, WritesWithinSlots) {
    const WriteCase& c = GetParam();
    host::VariableTable table(c.shape);
    fill_slots(table, c.stored);
    hostcall::write_host_variable(&table.record("RESULT"), c.bare_name.c_str(), c.text.c_str());
    EXPECT_EQ(table.variables(), c.expected);
    EXPECT_EQ(table.record("RESULT").count, c.expected.size());
    EXPECT_TRUE(table.guards_intact());
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteHostVariable, ::testing::ValuesIn(write_cases), testing_support::by_label);

// Records a host could hand over by mistake: nothing is read through a null address and
// nothing is written.
TEST(HostCallRecord, NullAddressesReadEmptyAndWriteNothing) {
    host::VariableTable table(host::TableShape{4, 32, 64});
    fill_slots(table, {{"%K%", "value"}});
    const HostCallRecord good = table.record("K");
    struct Damage {
        const char* label;
        void (*apply)(HostCallRecord&);
        const char* reads;
    };
    const Damage damages[] = {
        {"names", [](HostCallRecord& r) { r.names = nullptr; }, ""},
        {"values", [](HostCallRecord& r) { r.values = nullptr; }, ""},
        {"result_name", [](HostCallRecord& r) { r.result_name = nullptr; }, "value"},
    };
    for (const Damage& damage : damages) {
        HostCallRecord record = good;
        damage.apply(record);
        char value[16] = "#";
        hostcall::read_host_variable(&record, "K", value, sizeof value);
        EXPECT_STREQ(value, damage.reads) << damage.label;
        hostcall::write_result(&record, "changed");
        EXPECT_EQ(table.variables(), (Variables{{"%K%", "value"}})) << damage.label;
        EXPECT_EQ(record.count, 1u) << damage.label;
    }
    char value[16] = "#";
    hostcall::read_host_variable(nullptr, "K", value, sizeof value);
    EXPECT_STREQ(value, "");
    hostcall::write_result(nullptr, "changed");
}

TEST(HostCallRecord, CountAboveCapacityIsCapacity) {
    host::VariableTable table(host::TableShape{2, 32, 64});
    fill_slots(table, {{"%A%", "1"}, {"%B%", "2"}});
    HostCallRecord& record = table.record("RESULT");
    record.count = 0xFFFFFFFFu;
    char value[16];
    hostcall::read_host_variable(&record, "B", value, sizeof value);
    EXPECT_STREQ(value, "2");
    hostcall::read_host_variable(&record, "C", value, sizeof value);
    EXPECT_STREQ(value, "");
    hostcall::write_host_variable(&record, "C", "3");
    EXPECT_EQ(record.count, 0xFFFFFFFFu);
    EXPECT_TRUE(table.guards_intact());
}

// A table larger than a 16-bit counter can walk: the last slot is still found.
TEST(HostCallRecord, SlotsBeyond65536AreReached) {
    host::VariableTable table({70000, 16, 8});
    HostCallRecord& record = table.record("RESULT");
    for (std::uint32_t slot = 0; slot < 69999; ++slot) {
        std::snprintf(record.names + slot * 16, 16, "%%V%u%%", slot);
    }
    std::memcpy(record.values + 65537 * 8, "y", 2);
    record.count = 69999;
    hostcall::write_host_variable(&record, "LAST", "x");
    EXPECT_EQ(record.count, 70000u);
    char value[8];
    hostcall::read_host_variable(&record, "LAST", value, sizeof value);
    EXPECT_STREQ(value, "x");
    hostcall::read_host_variable(&record, "V65537", value, sizeof value);
    EXPECT_STREQ(value, "y");
}

// A name slot without its terminating zero is never read past its width.
TEST(HostCallRecord, UnterminatedSlotsAreNotOverread) {
    host::VariableTable table({2, 4, 4});
    HostCallRecord& record = table.record("RESULT");
    std::memcpy(record.names, "%K%x", 4);
    std::memcpy(record.values, "abcd", 4);
    std::memcpy(record.names + 4, "%K%", 4);
    std::memcpy(record.values + 4, "wxyz", 4);
    record.count = 2;
    char value[16];
    const std::size_t length = hostcall::read_host_variable(&record, "K", value, sizeof value);
    EXPECT_STREQ(value, "wxyz");
    EXPECT_EQ(length, 4u);
}

}  // namespace
