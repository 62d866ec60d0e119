// The host simulator's script steps: echo, set, call and expect.
#include "hostsim/script.h"

#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>

#include "hostsim/escapes.h"

namespace hostsim {

const char* const script_help =
    "Script steps, one a line; blank lines and lines starting with # are skipped:\n"
    "  echo TEXT                      print TEXT\n"
    "  set NAME=VALUE                 set a variable (escapes: \\r \\n \\t \\\\ \\xNN)\n"
    "  call LIBRARY EXPORT [into NAME] [expect N]\n"
    "                                 call an export; its answer goes to NAME (default: the\n"
    "                                 --result variable); fail unless it returns N\n"
    "  expect NAME=VALUE              fail unless the variable holds VALUE\n"
    "LIBRARY is a path, or a bare name (vantrel, driver) for the library beside hostsim.\n";

namespace {

std::vector<std::string> words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> all;
    for (std::string word; stream >> word;) all.push_back(word);
    return all;
}

class ScriptRunner {
public:
    ScriptRunner(Session& session, std::string default_result, std::ostream& out)
        : session_(session), default_result_(std::move(default_result)), out_(out) {}

    bool step(const std::string& command, const std::string& rest, std::string& error) {
        if (command == "echo") {
            out_ << rest << '\n';
            return true;
        }
        if (command == "set") return session_.assign(rest, error);
        if (command == "call") return call(words(rest), error);
        if (command == "expect") return expect(rest, error);
        error = "unknown step '" + command + "' (echo, set, call, expect)";
        return false;
    }

private:
    bool call(const std::vector<std::string>& arguments, std::string& error) {
        std::string result = default_result_;
        std::string expected;
        const bool shaped = arguments.size() >= 2 && arguments.size() % 2 == 0;
        for (std::size_t i = 2; shaped && i < arguments.size(); i += 2) {
            if (arguments[i] == "into") result = arguments[i + 1];
            else if (arguments[i] == "expect") expected = arguments[i + 1];
            else return usage(error);
        }
        if (!shaped) return usage(error);
        std::int32_t returned = 0;
        if (!session_.call(arguments[0], arguments[1], result, returned, error)) return false;
        out_ << "  " << arguments[1] << " returned " << returned;
        if (const auto answer = session_.table().get(result)) {
            out_ << ", " << result << " = \"" << escape(*answer) << '"';
        }
        out_ << '\n';
        if (!expected.empty() && expected != std::to_string(returned)) {
            error = "expected " + arguments[1] + " to return " + expected + ", it returned " +
                    std::to_string(returned);
            return false;
        }
        return true;
    }

    static bool usage(std::string& error) {
        error = "usage: call LIBRARY EXPORT [into NAME] [expect N]";
        return false;
    }

    bool expect(const std::string& assignment, std::string& error) {
        const auto equals = assignment.find('=');
        std::string wanted;
        if (equals == std::string::npos || !unescape(assignment.substr(equals + 1), wanted)) {
            error = "usage: expect NAME=VALUE";
            return false;
        }
        const std::string name = assignment.substr(0, equals);
        const std::string actual = session_.table().get(name).value_or("");
        if (actual == wanted) return true;
        error = "expected " + name + " = \"" + escape(wanted) + "\", found \"" + escape(actual) + '"';
        return false;
    }

    Session& session_;
    std::string default_result_;
    std::ostream& out_;
};

}  // namespace

bool run_script(const std::string& file, Session& session, const std::string& default_result,
                std::ostream& out, std::string& error) {
    std::ifstream script(file);
    if (!script) {
        error = "cannot read script " + file;
        return false;
    }
    ScriptRunner runner(session, default_result, out);
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const auto end = line.find_first_of(" \t", start);
        const std::string command = line.substr(start, end - start);
        const auto rest_start = end == std::string::npos ? end : line.find_first_not_of(" \t", end);
        const std::string rest = rest_start == std::string::npos ? "" : line.substr(rest_start);
        if (!runner.step(command, rest, error)) {
            error = file + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

}  // namespace hostsim
