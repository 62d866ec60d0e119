// hostsim: loads a library as the installer host does, calls one export (or runs a small
// installer script) against a variable table of a chosen shape, and prints the outcome.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "hostsim/escapes.h"
#include "hostsim/script.h"
#include "hostsim/session.h"
#include "platform/registry_source.h"

namespace {

const char* const usage =
    "usage: hostsim [options] LIBRARY EXPORT [NAME=VALUE]...\n"
    "       hostsim [options] --script FILE\n"
    "\n"
    "Loads LIBRARY (a path, or vantrel / driver for the library beside hostsim), sets the\n"
    "variables, calls EXPORT with a host call record and prints the integer result and every\n"
    "variable afterwards, control characters escaped (\\r, \\n, \\xNN). A decorated name such\n"
    "as _GetZelk@4 is also found by its undecorated form.\n"
    "\n"
    "Options:\n"
    "  --registry FILE.reg  the registry the libraries see (builds away from Windows; on\n"
    "                       Windows the real registry is read)\n"
    "  --capacity N         most variables the table holds (default 64)\n"
    "  --name-width N       bytes per name slot (default 64)\n"
    "  --value-width N      bytes per value slot (default 1024)\n"
    "  --result NAME        variable that receives the answer (default RESULT)\n"
    "  --script FILE        run an installer script instead of one call\n"
    "  --help               this text\n"
    "\n";

struct Options {
    host::TableShape shape;
    std::string result = "RESULT";
    std::string registry;
    std::string script;
    std::vector<std::string> positional;
};

[[noreturn]] void fail(const std::string& message, int status = 1) {
    std::cerr << "hostsim: " << message << '\n';
    std::exit(status);
}

std::uint32_t read_count(const std::string& option, const char* text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || value > 0x7FFFFFFFul) {
        fail(option + " needs a whole number, not '" + text + "'", 2);
    }
    return static_cast<std::uint32_t>(value);
}

Options read_options(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool has_value = i + 1 < argc;
        if (argument == "--help") {
            std::cout << usage << hostsim::script_help;
            std::exit(0);
        } else if (argument.rfind("--", 0) == 0 && !has_value) {
            fail("unknown option or missing value: " + argument + " (see --help)", 2);
        } else if (argument == "--registry") {
            options.registry = argv[++i];
        } else if (argument == "--capacity") {
            options.shape.capacity = read_count(argument, argv[++i]);
        } else if (argument == "--name-width") {
            options.shape.name_width = read_count(argument, argv[++i]);
        } else if (argument == "--value-width") {
            options.shape.value_width = read_count(argument, argv[++i]);
        } else if (argument == "--result") {
            options.result = argv[++i];
        } else if (argument == "--script") {
            options.script = argv[++i];
        } else if (argument.rfind("--", 0) == 0) {
            fail("unknown option " + argument + " (see --help)", 2);
        } else {
            options.positional.push_back(argument);
        }
    }
    return options;
}

// The bare name of a stored "%NAME%".
std::string bare(const std::string& stored) {
    if (stored.size() >= 2 && stored.front() == '%' && stored.back() == '%') {
        return stored.substr(1, stored.size() - 2);
    }
    return stored;
}

int call_once(const Options& options, hostsim::Session& session) {
    if (options.positional.size() < 2) fail("LIBRARY and EXPORT are needed (see --help)", 2);
    std::string error;
    for (std::size_t i = 2; i < options.positional.size(); ++i) {
        if (!session.assign(options.positional[i], error)) fail(error, 2);
    }
    std::int32_t returned = 0;
    if (!session.call(options.positional[0], options.positional[1], options.result, returned, error)) {
        fail(error);
    }
    std::cout << "result: " << returned << '\n';
    for (const auto& [name, value] : session.table().variables()) {
        std::cout << bare(name) << " = \"" << hostsim::escape(value) << "\"\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = read_options(argc, argv);
    std::string error;
    if (!options.registry.empty() && !platform::use_registry_file(options.registry, error)) fail(error);
    hostsim::Session session(options.shape);
    if (options.script.empty()) return call_once(options, session);
    if (!options.positional.empty()) fail("--script takes no LIBRARY or EXPORT", 2);
    if (!hostsim::run_script(options.script, session, options.result, std::cout, error)) fail(error);
    return 0;
}
