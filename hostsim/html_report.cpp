// Writing the HTML report: a page that never changes (html_report_page.cpp) around the
// fleet's results, which go in as JSON that the page's script renders as text. Every text
// of a machine, of the script and of the run passes through json_for_html(), and through
// nothing else, on its way into the page.
#include "hostsim/html_report.h"

#include <ostream>

#include "hostsim/escapes.h"
#include "hostsim/fleet_table.h"
#include "hostsim/html_report_page.h"
#include "hostsim/report_text.h"

namespace hostsim {
namespace {

// A JSON string that can stand inside an HTML script element: '<', '>' and '&' written as
// escapes, so that neither "</script" nor "<!--" can occur in it, and every control character
// escaped. The page reads it with JSON.parse and shows it as text.
std::string json_for_html(const std::string& terminal_text) {
    static const char hex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : report_text(terminal_text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + "\"";
}

// Items written one after another with commas between them.
class JsonList {
public:
    JsonList(std::ostream& out, char open, char close) : out_(out), close_(close) { out_ << open; }
    ~JsonList() { out_ << close_; }
    JsonList(const JsonList&) = delete;
    JsonList& operator=(const JsonList&) = delete;

    std::ostream& next() {
        if (!first_) out_ << ',';
        first_ = false;
        return out_;
    }
    std::ostream& next(const char* key) { return next() << '"' << key << "\":"; }

private:
    std::ostream& out_;
    char close_;
    bool first_ = true;
};

void write_strings(const std::vector<std::string>& texts, std::ostream& out) {
    JsonList list(out, '[', ']');
    for (const std::string& text : texts) list.next() << json_for_html(text);
}

char mark(Outcome outcome) {
    if (outcome == Outcome::met) return '+';
    return outcome == Outcome::missed ? 'x' : '-';
}

const char* verdict_class(const MachineRow& row) {
    if (!row.error.empty()) return "error";
    return met_every_expectation(row) ? "met" : "missed";
}

// [line, end, [[name, value, set]...], returned, answer name, answer, expected, found, error]
void write_step_trace(const StepTrace& step, std::ostream& out) {
    JsonList fields(out, '[', ']');
    fields.next() << step.line;
    fields.next() << static_cast<int>(step.end);
    {
        JsonList reads(fields.next(), '[', ']');
        for (const VariableRead& read : step.read) {
            reads.next() << '[' << json_for_html(read.name) << ',' << json_for_html(read.value) << ','
                         << (read.set ? 1 : 0) << ']';
        }
    }
    for (const std::string* text : {&step.returned, &step.answer_name, &step.answer, &step.expected, &step.found,
                                    &step.error}) {
        fields.next() << json_for_html(*text);
    }
}

void write_machine(const MachineRow& row, std::ostream& out) {
    JsonList machine(out, '{', '}');
    machine.next("name") << json_for_html(row.name);
    machine.next("kind") << json_for_html(row.kind);
    machine.next("codePage") << json_for_html(row.code_page);
    machine.next("verdict") << '"' << verdict_class(row) << '"';
    machine.next("verdictText") << json_for_html(verdict(row));
    std::string outcomes;
    for (const Outcome outcome : row.outcomes) outcomes += mark(outcome);
    machine.next("outcomes") << '"' << outcomes << '"';
    {
        // Escaped as the fleet's table shows them, a line break as \r\n.
        JsonList values(machine.next("values"), '[', ']');
        for (const std::string& value : row.values) values.next() << json_for_html(escape(value));
    }
    machine.next("error") << json_for_html(row.error);
    {
        JsonList description(machine.next("description"), '[', ']');
        for (const auto& [name, value] : row.description) {
            description.next() << '[' << json_for_html(name) << ',' << json_for_html(value) << ']';
        }
    }
    JsonList trace(machine.next("trace"), '[', ']');
    for (const StepTrace& step : row.steps) write_step_trace(step, trace.next());
}

// [line, command, text, library, export] for every step of the script.
void write_script_steps(const Script& script, std::ostream& out) {
    JsonList steps(out, '[', ']');
    for (const Step& step : script.steps) {
        const auto [library, export_name] = called_export(step);
        steps.next() << '[' << step.line << ',' << json_for_html(step.command) << ',' << json_for_html(step_text(step))
                     << ',' << json_for_html(library) << ',' << json_for_html(export_name) << ']';
    }
}

void write_data(const ReportSource& source, const std::vector<MachineRow>& rows, std::ostream& out) {
    JsonList data(out, '{', '}');
    data.next("title") << json_for_html(source.title);
    data.next("script") << json_for_html(source.script.file);
    write_script_steps(source.script, data.next("steps"));
    {
        JsonList lines(data.next("expectations"), '[', ']');
        for (const Step& step : expectation_steps(source.script)) lines.next() << step.line;
    }
    write_strings(source.shown, data.next("shown"));
    JsonList machines(data.next("machines"), '[', ']');
    for (const MachineRow& row : rows) write_machine(row, machines.next());
}

}  // namespace

void write_html_report(const ReportSource& source, const std::vector<MachineRow>& rows, std::ostream& out) {
    out << report_page_before_data;
    write_data(source, rows, out);
    out << report_page_after_data;
}

}  // namespace hostsim
