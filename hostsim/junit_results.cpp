// Writing the JUnit XML. Every text of a machine, of the script and of the run passes through
// xml_text(), and through nothing else, on its way into the file.
#include "hostsim/junit_results.h"

#include <algorithm>
#include <ostream>

#include "hostsim/report_text.h"

namespace hostsim {
namespace {

constexpr char run_to_the_end[] = "the script runs to its end";

// Text as XML character data or an attribute's value (in double quotes): escaped, and the
// white space an attribute would otherwise fold kept as references.
std::string xml_text(const std::string& terminal_text) {
    std::string xml;
    for (const char c : report_text(terminal_text)) {
        switch (c) {
            case '&': xml += "&amp;"; break;
            case '<': xml += "&lt;"; break;
            case '>': xml += "&gt;"; break;
            case '"': xml += "&quot;"; break;
            case '\'': xml += "&apos;"; break;
            case '\t': xml += "&#9;"; break;
            case '\n': xml += "&#10;"; break;
            case '\r': xml += "&#13;"; break;
            default: xml += c;
        }
    }
    return xml;
}

// What the run said of the expectation on that line, when it got there.
const StepTrace* trace_of(const MachineRow& row, int line) {
    const auto found = std::find_if(row.steps.begin(), row.steps.end(),
                                    [line](const StepTrace& step) { return step.line == line; });
    return found == row.steps.end() ? nullptr : &*found;
}

struct Counts {
    std::size_t tests = 0, failures = 0, errors = 0, skipped = 0;
};

Counts counts_of(const MachineRow& row) {
    const auto count = [&](Outcome outcome) {
        return static_cast<std::size_t>(std::count(row.outcomes.begin(), row.outcomes.end(), outcome));
    };
    const std::size_t errors = row.error.empty() ? 0 : 1;
    return {row.outcomes.size() + errors, count(Outcome::missed), errors, count(Outcome::not_reached)};
}

void write_counts(const Counts& counts, std::ostream& out) {
    out << " tests=\"" << counts.tests << "\" failures=\"" << counts.failures << "\" errors=\"" << counts.errors
        << "\" skipped=\"" << counts.skipped << '"';
}

void write_testcase(const Script& script, const MachineRow& row, const Step& step, Outcome outcome,
                    std::ostream& out) {
    const std::string name = "line " + std::to_string(step.line) + ": " + step_text(step);
    out << "    <testcase classname=\"" << xml_text(row.name) << "\" name=\"" << xml_text(name) << '"';
    if (outcome == Outcome::met) {
        out << "/>\n";
        return;
    }
    out << ">\n";
    if (outcome == Outcome::not_reached) {
        out << "      <skipped message=\"not reached: the run ended before this line\"/>\n";
    } else {
        const StepTrace* trace = trace_of(row, step.line);
        const std::string message = trace != nullptr ? trace->error : "missed";
        out << "      <failure type=\"missed\" message=\"" << xml_text(message) << "\">"
            << xml_text(script.file + ":" + std::to_string(step.line) + ": " + step_text(step) + "\n" + message)
            << "</failure>\n";
    }
    out << "    </testcase>\n";
}

void write_testsuite(const Script& script, const std::vector<Step>& expectations, const MachineRow& row,
                     std::ostream& out) {
    out << "  <testsuite name=\"" << xml_text(row.name) << '"';
    write_counts(counts_of(row), out);
    out << ">\n    <properties>\n"
        << "      <property name=\"windows\" value=\"" << xml_text(row.kind) << "\"/>\n"
        << "      <property name=\"code page\" value=\"" << xml_text(row.code_page) << "\"/>\n"
        << "    </properties>\n";
    for (std::size_t i = 0; i < expectations.size(); ++i) {
        const Outcome outcome = i < row.outcomes.size() ? row.outcomes[i] : Outcome::not_reached;
        write_testcase(script, row, expectations[i], outcome, out);
    }
    if (!row.error.empty()) {
        out << "    <testcase classname=\"" << xml_text(row.name) << "\" name=\"" << run_to_the_end << "\">\n"
            << "      <error type=\"error\" message=\"" << xml_text(row.error) << "\">" << xml_text(row.error)
            << "</error>\n    </testcase>\n";
    }
    out << "  </testsuite>\n";
}

}  // namespace

void write_junit_results(const Script& script, const std::vector<MachineRow>& rows, std::ostream& out) {
    Counts all;
    for (const MachineRow& row : rows) {
        const Counts counts = counts_of(row);
        all.tests += counts.tests;
        all.failures += counts.failures;
        all.errors += counts.errors;
        all.skipped += counts.skipped;
    }
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"" << xml_text("hostsim " + script.file)
        << '"';
    write_counts(all, out);
    out << ">\n";
    const std::vector<Step> expectations = expectation_steps(script);
    for (const MachineRow& row : rows) write_testsuite(script, expectations, row, out);
    out << "</testsuites>\n";
}

}  // namespace hostsim
