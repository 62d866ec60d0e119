// Printing the fleet's table. Text gives every expectation a column one character wide,
// headed by its script line written downwards, so that a long script still fits a
// terminal; TSV gives it a column of its own headed "line N".
#include "hostsim/fleet_table.h"

#include <algorithm>
#include <ostream>

#include "hostsim/escapes.h"

namespace hostsim {
namespace {

using Cells = std::vector<std::string>;

std::vector<int> expectation_lines(const Script& script) {
    std::vector<int> lines;
    for (const Step& step : expectation_steps(script)) lines.push_back(step.line);
    return lines;
}

char mark(Outcome outcome) {
    if (outcome == Outcome::met) return '+';
    return outcome == Outcome::missed ? 'x' : '-';
}

const char* word(Outcome outcome) {
    if (outcome == Outcome::met) return "met";
    return outcome == Outcome::missed ? "missed" : "not reached";
}

// Digit rows of the line numbers, highest place first: column i of row p is the digit of
// lines[i] at that place, or a space where the number is shorter.
std::vector<std::string> line_digit_rows(const std::vector<int>& lines) {
    const int highest = lines.empty() ? 0 : *std::max_element(lines.begin(), lines.end());
    std::vector<std::string> rows(std::to_string(highest).size());
    for (const int line : lines) {
        const std::string digits = std::to_string(line);
        const std::size_t blank = rows.size() - digits.size();
        for (std::size_t place = 0; place < rows.size(); ++place) {
            rows[place] += place < blank ? ' ' : digits[place - blank];
        }
    }
    return rows;
}

// Rows of cells, each column padded to its widest cell, trailing spaces dropped.
void print_aligned(const std::vector<Cells>& table, std::ostream& out) {
    std::vector<std::size_t> widths;
    for (const Cells& row : table) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    for (const Cells& row : table) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    }
}

void print_text(const Script& script, const std::vector<std::string>& shown, const std::vector<MachineRow>& rows,
                std::ostream& out) {
    out << "Expectations: a column each, headed by its line in " << script.file
        << " (read downwards); + met, x missed, - not reached\n";
    std::vector<std::string> digit_rows = line_digit_rows(expectation_lines(script));
    const std::string units = digit_rows.back();
    digit_rows.pop_back();
    std::vector<Cells> table;
    for (const std::string& digits : digit_rows) table.push_back({"", "", "", digits});
    Cells header{"machine", "windows", "code page", units};
    header.insert(header.end(), shown.begin(), shown.end());
    header.push_back("verdict");
    table.push_back(header);
    for (const MachineRow& row : rows) {
        Cells cells{escape(row.name), row.kind, row.code_page, ""};
        for (const Outcome outcome : row.outcomes) cells[3] += mark(outcome);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            cells.push_back(i < row.values.size() ? '"' + escape(row.values[i]) + '"' : "");
        }
        cells.push_back(verdict(row));
        table.push_back(cells);
    }
    print_aligned(table, out);
}

// A TSV cell holds no tab and no line break.
std::string one_cell(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

void print_tsv_row(const Cells& cells, std::ostream& out) {
    for (std::size_t i = 0; i < cells.size(); ++i) out << (i == 0 ? "" : "\t") << cells[i];
    out << '\n';
}

void print_tsv(const Script& script, const std::vector<std::string>& shown, const std::vector<MachineRow>& rows,
               std::ostream& out) {
    Cells header{"machine", "windows", "code page"};
    for (const int line : expectation_lines(script)) header.push_back("line " + std::to_string(line));
    for (const std::string& name : shown) header.push_back(escape(name));
    header.push_back("verdict");
    print_tsv_row(header, out);
    for (const MachineRow& row : rows) {
        Cells cells{escape(row.name), row.kind, row.code_page};
        for (const Outcome outcome : row.outcomes) cells.push_back(word(outcome));
        for (std::size_t i = 0; i < shown.size(); ++i) cells.push_back(i < row.values.size() ? escape(row.values[i]) : "");
        cells.push_back(one_cell(verdict(row)));
        print_tsv_row(cells, out);
    }
}

}  // namespace

std::string verdict(const MachineRow& row) {
    if (!row.error.empty()) return "error: " + row.error;
    const auto missed = std::count(row.outcomes.begin(), row.outcomes.end(), Outcome::missed);
    if (missed == 0) return "met";
    return "missed " + std::to_string(missed) + " of " + std::to_string(row.outcomes.size());
}

void print_fleet_table(const Script& script, const std::vector<std::string>& shown,
                       const std::vector<MachineRow>& rows, TableFormat format, std::ostream& out) {
    if (format == TableFormat::tsv) {
        print_tsv(script, shown, rows, out);
    } else {
        print_text(script, shown, rows, out);
    }
}

}  // namespace hostsim
