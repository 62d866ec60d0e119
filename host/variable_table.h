// An installer host's variable table, as the host simulator and the tests provide it:
// name and value slots laid out as the host call record describes, with guard bytes
// around both regions so that a write outside the slots is caught.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostcall/host_call.h"

namespace host {

struct TableShape {
    std::uint32_t capacity = 64;
    std::uint32_t name_width = 64;
    std::uint32_t value_width = 1024;
};

class VariableTable {
public:
    explicit VariableTable(TableShape shape = {});
    ~VariableTable();
    VariableTable(const VariableTable&) = delete;
    VariableTable& operator=(const VariableTable&) = delete;
    // The record points into the table itself, so a table stays where it was made.
    VariableTable(VariableTable&&) = delete;
    VariableTable& operator=(VariableTable&&) = delete;

    // Sets a variable as the host's script does: creates or overwrites, the value cut to the
    // value width. False when the table is full or the wrapped name does not fit a slot.
    bool set(const std::string& bare_name, const std::string& value);
    std::optional<std::string> get(const std::string& bare_name) const;

    // Every variable in slot order, names as stored ("%NAME%").
    std::vector<std::pair<std::string, std::string>> variables() const;

    // The record to pass to an export; it stays valid, with the table's count in it,
    // for as long as the table lives.
    HostCallRecord& record(const std::string& result_name);

    bool guards_intact() const;
    const TableShape& shape() const { return shape_; }

private:
    std::string slot_text(const std::vector<char>& region, std::uint32_t slot, std::uint32_t width) const;
    std::optional<std::uint32_t> find(const std::string& wrapped) const;

    TableShape shape_;
    std::vector<char> names_;
    std::vector<char> values_;
    std::string result_name_;
    HostCallRecord record_{};
};

}  // namespace host
