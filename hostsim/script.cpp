// The host simulator's script steps: echo, set, call and expect.
#include "hostsim/script.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "hostsim/escapes.h"
#include "hostsim/export_inputs.h"
#include "text/utf8.h"

namespace hostsim {

const char* const script_help =
    "A script is UTF-8 text (a byte-order mark allowed), one step a line; blank lines and\n"
    "lines starting with # are skipped:\n"
    "  echo TEXT                      print TEXT\n"
    "  set NAME=VALUE                 set a variable (escapes: \\r \\n \\t \\\\ \\xNN; the text\n"
    "                                 converted to the machine's code page, see --code-page)\n"
    "  call LIBRARY EXPORT [into NAME] [expect N]\n"
    "                                 call an export; its answer goes to NAME (default: the\n"
    "                                 --result variable); fail unless it returns N\n"
    "  expect NAME=VALUE              fail unless the variable holds VALUE\n"
    "LIBRARY is a path, or a bare name (vantrel, driver) for the library beside hostsim.\n";

namespace {

constexpr char byte_order_mark[] = "\xEF\xBB\xBF";

std::vector<std::string> words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> all;
    for (std::string word; stream >> word;) all.push_back(word);
    return all;
}

// How a step ended: done (an expectation met), an expectation missed, or failed to run.
enum class StepResult { done, missed, failed };

// The words after "call LIBRARY EXPORT" come in pairs: "into NAME", "expect N".
bool is_call_shape(const std::vector<std::string>& arguments) {
    return arguments.size() >= 2 && arguments.size() % 2 == 0;
}

// A step that failed to run left its expectation undecided.
Outcome outcome_of(StepResult result) {
    if (result == StepResult::done) return Outcome::met;
    return result == StepResult::missed ? Outcome::missed : Outcome::not_reached;
}

StepEnd end_of(StepResult result, bool expects) {
    if (result == StepResult::failed) return StepEnd::failed;
    if (result == StepResult::missed) return StepEnd::missed;
    return expects ? StepEnd::met : StepEnd::ran;
}

class ScriptRunner {
public:
    ScriptRunner(Session& session, std::string default_result, std::ostream& out)
        : session_(session), default_result_(std::move(default_result)), out_(out) {}

    StepResult step(const Step& step, std::string& error, StepTrace& trace) {
        if (step.command == "echo") {
            out_ << step.rest << '\n';
            return StepResult::done;
        }
        if (step.command == "set") return session_.assign(step.rest, error) ? StepResult::done : StepResult::failed;
        if (step.command == "call") return call(words(step.rest), error, trace);
        if (step.command == "expect") return expect(step.rest, error, trace);
        error = "unknown step '" + step.command + "' (echo, set, call, expect)";
        return StepResult::failed;
    }

private:
    StepResult call(const std::vector<std::string>& arguments, std::string& error, StepTrace& trace) {
        std::string result = default_result_;
        std::string expected;
        if (!is_call_shape(arguments)) return usage(error);
        for (std::size_t i = 2; i < arguments.size(); i += 2) {
            if (arguments[i] == "into") result = arguments[i + 1];
            else if (arguments[i] == "expect") expected = arguments[i + 1];
            else return usage(error);
        }
        trace.read = variables_before_call(arguments[1]);
        std::int32_t returned = 0;
        if (!session_.call(arguments[0], arguments[1], result, returned, error)) return StepResult::failed;
        out_ << "  " << arguments[1] << " returned " << returned;
        trace.returned = std::to_string(returned);
        trace.answer_name = result;
        if (const auto answer = session_.table().get(result)) {
            trace.answer = shown(*answer);
            out_ << ", " << result << " = \"" << trace.answer << '"';
        }
        out_ << '\n';
        if (!expected.empty()) {
            trace.expected = expected;
            trace.found = trace.returned;
        }
        if (!expected.empty() && expected != trace.returned) {
            error = "expected " + arguments[1] + " to return " + expected + ", it returned " +
                    std::to_string(returned);
            return StepResult::missed;
        }
        return StepResult::done;
    }

    // The variables the export reads, as they stand before it runs.
    std::vector<VariableRead> variables_before_call(const std::string& export_name) const {
        std::vector<VariableRead> read;
        for (const std::string& name : variables_read_by(export_name)) {
            const auto value = session_.table().get(name);
            read.push_back({name, shown(value.value_or("")), value.has_value()});
        }
        return read;
    }

    static StepResult usage(std::string& error) {
        error = "usage: call LIBRARY EXPORT [into NAME] [expect N]";
        return StepResult::failed;
    }

    StepResult expect(const std::string& assignment, std::string& error, StepTrace& trace) {
        const auto equals = assignment.find('=');
        std::string wanted;
        if (equals == std::string::npos || !typed(assignment.substr(equals + 1), wanted)) {
            error = "usage: expect NAME=VALUE";
            return StepResult::failed;
        }
        const std::string name = assignment.substr(0, equals);
        const std::string actual = session_.table().get(name).value_or("");
        trace.expected = name + " = \"" + shown(wanted) + '"';
        trace.found = name + " = \"" + shown(actual) + '"';
        if (actual == wanted) return StepResult::done;
        error = "expected " + trace.expected + ", found \"" + shown(actual) + '"';
        return StepResult::missed;
    }

    Session& session_;
    std::string default_result_;
    std::ostream& out_;
};

}  // namespace

bool load_script(const std::string& file, Script& script, std::string& error) {
    std::ifstream text(std::filesystem::u8path(file), std::ios::binary);
    if (!text) {
        error = "cannot read script " + file;
        return false;
    }
    script = Script{file, {}};
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        if (number == 1 && line.rfind(byte_order_mark, 0) == 0) line.erase(0, sizeof byte_order_mark - 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!utf8::valid(line)) {
            error = file + ":" + std::to_string(number) +
                    ": not UTF-8 text; a script is read as UTF-8 everywhere (save it as UTF-8, with or without "
                    "a byte-order mark)";
            return false;
        }
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const auto end = line.find_first_of(" \t", start);
        const auto rest_start = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
        script.steps.push_back({number, line.substr(start, end - start),
                                rest_start == std::string::npos ? "" : line.substr(rest_start)});
    }
    return true;
}

bool states_expectation(const Step& step) {
    if (step.command == "expect") return true;
    if (step.command != "call") return false;
    const std::vector<std::string> arguments = words(step.rest);
    if (!is_call_shape(arguments)) return false;
    for (std::size_t i = 2; i < arguments.size(); i += 2) {
        if (arguments[i] == "expect") return true;
    }
    return false;
}

std::vector<Step> expectation_steps(const Script& script) {
    std::vector<Step> expectations;
    for (const Step& step : script.steps) {
        if (states_expectation(step)) expectations.push_back(step);
    }
    return expectations;
}

std::string step_text(const Step& step) {
    return step.rest.empty() ? step.command : step.command + " " + step.rest;
}

std::pair<std::string, std::string> called_export(const Step& step) {
    const std::vector<std::string> arguments = words(step.rest);
    if (step.command != "call" || arguments.size() < 2) return {};
    return {arguments[0], arguments[1]};
}

ScriptRun run_steps(const Script& script, Session& session, const std::string& default_result,
                    std::ostream& out, bool keep_going) {
    ScriptRun run;
    for (const Step& step : script.steps) {
        if (states_expectation(step)) run.outcomes.push_back(Outcome::not_reached);
    }
    ScriptRunner runner(session, default_result, out);
    std::size_t expectation = 0;
    for (const Step& step : script.steps) {
        std::string error;
        StepTrace trace;
        trace.line = step.line;
        const StepResult result = runner.step(step, error, trace);
        const bool expects = states_expectation(step);
        if (expects) run.outcomes[expectation++] = outcome_of(result);
        trace.end = end_of(result, expects);
        if (result != StepResult::done) trace.error = error;
        run.steps.push_back(std::move(trace));
        if (result == StepResult::failed || (result == StepResult::missed && !keep_going)) {
            run.error = script.file + ":" + std::to_string(step.line) + ": " + error;
            break;
        }
    }
    return run;
}

bool run_script(const std::string& file, Session& session, const std::string& default_result,
                std::ostream& out, std::string& error) {
    Script script;
    if (!load_script(file, script, error)) return false;
    error = run_steps(script, session, default_result, out, false).error;
    return error.empty();
}

}  // namespace hostsim
