// The records a fleet machine's process sends: a type letter, then fields, each its length
// in decimal, ':' and its bytes, so that any byte a machine's text holds passes unchanged.
// A count is a field holding a number, followed by that many items.
#include "hostsim/row_records.h"

#include <utility>

namespace hostsim {
namespace {

class RecordWriter {
public:
    explicit RecordWriter(char type) : record_(1, type) {}

    void text(const std::string& field) { record_ += std::to_string(field.size()) + ":" + field; }
    void number(std::size_t value) { text(std::to_string(value)); }
    std::string take() { return std::move(record_); }

private:
    std::string record_;
};

class RecordReader {
public:
    RecordReader(const std::string& records, std::size_t& at) : records_(records), at_(at) {}

    bool text(std::string& field) {
        const std::size_t colon = records_.find(':', at_);
        std::size_t length = 0;
        if (colon == std::string::npos || !digits(records_.substr(at_, colon - at_), length) ||
            length > records_.size() - colon - 1) {
            return false;
        }
        field = records_.substr(colon + 1, length);
        at_ = colon + 1 + length;
        return true;
    }

    // A number no greater than most.
    bool number(std::size_t& value, std::size_t most) {
        std::string field;
        return text(field) && digits(field, value) && value <= most;
    }

    // A count of items still to come: each takes two bytes at least ("0:"), which bounds it.
    bool count(std::size_t& value) { return number(value, (records_.size() - at_) / 2); }

private:
    static bool digits(const std::string& text, std::size_t& value) {
        if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
        value = std::stoul(text);
        return true;
    }

    const std::string& records_;
    std::size_t& at_;
};

void write_description(const MachineRow& row, RecordWriter& record) {
    record.number(row.description.size());
    for (const auto& [name, value] : row.description) {
        record.text(name);
        record.text(value);
    }
}

bool read_description(RecordReader& record, MachineRow& row) {
    std::size_t count = 0;
    if (!record.count(count)) return false;
    row.description.assign(count, {});
    for (auto& [name, value] : row.description) {
        if (!record.text(name) || !record.text(value)) return false;
    }
    return true;
}

void write_step(const StepTrace& step, RecordWriter& record) {
    record.number(static_cast<std::size_t>(step.line));
    record.number(static_cast<std::size_t>(step.end));
    record.number(step.read.size());
    for (const VariableRead& read : step.read) {
        record.text(read.name);
        record.text(read.value);
        record.number(read.set ? 1 : 0);
    }
    for (const std::string* field : {&step.returned, &step.answer_name, &step.answer, &step.expected, &step.found,
                                     &step.error}) {
        record.text(*field);
    }
}

bool read_step(RecordReader& record, StepTrace& step) {
    std::size_t line = 0, end = 0, reads = 0;
    if (!record.number(line, 999999999) || !record.number(end, static_cast<std::size_t>(StepEnd::failed)) ||
        !record.count(reads)) {
        return false;
    }
    step.line = static_cast<int>(line);
    step.end = static_cast<StepEnd>(end);
    step.read.assign(reads, {});
    for (VariableRead& read : step.read) {
        std::size_t set = 0;
        if (!record.text(read.name) || !record.text(read.value) || !record.number(set, 1)) return false;
        read.set = set == 1;
    }
    for (std::string* field : {&step.returned, &step.answer_name, &step.answer, &step.expected, &step.found,
                               &step.error}) {
        if (!record.text(*field)) return false;
    }
    return true;
}

bool read_kind(RecordReader& record, MachineRow& row) {
    return record.text(row.kind) && record.text(row.code_page) && read_description(record, row);
}

// The outcomes as one digit each, in the row's order.
std::string outcome_digits(const std::vector<Outcome>& outcomes) {
    std::string digits;
    for (const Outcome outcome : outcomes) digits += static_cast<char>('0' + static_cast<int>(outcome));
    return digits;
}

bool read_row(RecordReader& record, MachineRow& row) {
    std::string outcomes;
    std::size_t values = 0, steps = 0;
    if (!read_kind(record, row) || !record.text(outcomes) || outcomes.size() != row.outcomes.size() ||
        outcomes.find_first_not_of("012") != std::string::npos || !record.count(values)) {
        return false;
    }
    for (std::size_t i = 0; i < outcomes.size(); ++i) row.outcomes[i] = static_cast<Outcome>(outcomes[i] - '0');
    row.values.assign(values, "");
    for (std::string& value : row.values) {
        if (!record.text(value)) return false;
    }
    if (!record.text(row.error) || !record.count(steps)) return false;
    row.steps.assign(steps, {});
    for (StepTrace& step : row.steps) {
        if (!read_step(record, step)) return false;
    }
    return true;
}

}  // namespace

std::string kind_record(const MachineRow& row) {
    RecordWriter record('k');
    record.text(row.kind);
    record.text(row.code_page);
    write_description(row, record);
    return record.take();
}

std::string note_record(const MachineRow& row) {
    RecordWriter record('n');
    record.text(row.cache_note);
    return record.take();
}

std::string row_record(const MachineRow& row) {
    RecordWriter record('r');
    record.text(row.kind);
    record.text(row.code_page);
    write_description(row, record);
    record.text(outcome_digits(row.outcomes));
    record.number(row.values.size());
    for (const std::string& value : row.values) record.text(value);
    record.text(row.error);
    record.number(row.steps.size());
    for (const StepTrace& step : row.steps) write_step(step, record);
    return record.take();
}

bool read_records(const std::string& sent, MachineRow& row) {
    for (std::size_t at = 0; at < sent.size();) {
        const char type = sent[at++];
        MachineRow read = row;
        RecordReader record(sent, at);
        if ((type == 'k' && read_kind(record, read)) || (type == 'n' && record.text(read.cache_note))) {
            row = std::move(read);
            continue;
        }
        if (type != 'r' || !read_row(record, read)) return false;
        row = std::move(read);
        return true;
    }
    return false;
}

}  // namespace hostsim
