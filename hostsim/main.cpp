// hostsim: loads a library as the installer host does, calls one export (or runs a small
// installer script) against a variable table of a chosen shape, and prints the outcome.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/escapes.h"
#include "hostsim/fleet.h"
#include "hostsim/fleet_table.h"
#include "hostsim/html_report.h"
#include "hostsim/junit_results.h"
#include "hostsim/progress.h"
#include "hostsim/script.h"
#include "hostsim/session.h"
#include "hostsim/snapshot.h"
#include "host/process_per_task.h"
#include "host/system_text.h"
#include "host/registry_source.h"
#include "host/table_output.h"
#include "host/terminal.h"
#include "host/this_machine.h"

namespace {

const char* const usage =
    "usage: hostsim [options] LIBRARY EXPORT [NAME=VALUE]...\n"
    "       hostsim [options] --script FILE\n"
    "       hostsim [options] --script FILE --show NAME,... [--format tsv]\n"
    "       hostsim [options] --script FILE --fleet DIR [--show NAME,...] [--format tsv] [--jobs N]\n"
    "       hostsim [options] --script FILE [--fleet DIR] [--report FILE.html] [--junit FILE.xml]\n"
    "       hostsim.exe --snapshot DIR [--script FILE]\n"
    "\n"
    "Loads LIBRARY (a path, or vantrel / driver for the library beside hostsim), sets the\n"
    "variables, calls EXPORT with a host call record and prints the integer result and every\n"
    "variable afterwards, control characters escaped (\\r, \\n, \\xNN). A decorated name such\n"
    "as _GetZelk@4 is also found by its undecorated form.\n"
    "\n"
    "Options:\n"
    "  --registry FILE.reg  the registry the libraries see (builds away from Windows; on\n"
    "                       Windows the real registry is read). An export holding\n"
    "                       HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node is a 64-bit machine's:\n"
    "                       the libraries, 32-bit, read its 32-bit view unless REGISTRY_VIEW\n"
    "                       says 64\n"
    "  --machine 32|64      the kind of Windows an export without that key comes from\n"
    "                       (default 32; 64 for a partial export of a 64-bit machine)\n"
    "  --code-page N        the ANSI code page of a machine that states none (default 1252,\n"
    "                       the Western one; 932 Japanese, 936 Chinese, 949 Korean, 950\n"
    "                       Traditional Chinese): the libraries read the export's names and\n"
    "                       text in it, a character it lacks as \"?\", as Windows' ANSI\n"
    "                       functions do, and a REGEDIT4 export is read in it. An export that\n"
    "                       holds ...\\Control\\Nls\\CodePage, value ACP, states its own, and so\n"
    "                       does a fleet machine's file code-page (builds away from Windows;\n"
    "                       on Windows the system's). hostsim's own text is UTF-8 everywhere:\n"
    "                       scripts, arguments and the values it shows\n"
    "  --capacity N         most variables the table holds (default 64)\n"
    "  --name-width N       bytes per name slot (default 64)\n"
    "  --value-width N      bytes per value slot (default 1024)\n"
    "  --result NAME        variable that receives the answer (default RESULT)\n"
    "  --script FILE        run an installer script instead of one call\n"
    "  --fleet DIR          run the script once on every machine in DIR and print a table:\n"
    "                       a row per machine with each expectation's outcome and the\n"
    "                       verdict; exit 0 only when every machine met every expectation.\n"
    "                       A machine is a .reg file, or a folder holding registry.reg, an\n"
    "                       optional file instruments (one VISA resource descriptor a line),\n"
    "                       an optional file code-page (its number, see --code-page)\n"
    "                       and the files the script names: the script runs in the machine's\n"
    "                       folder (a bare .reg file: in an empty one), with fresh variables\n"
    "                       and the libraries loaded afresh, never reading this computer\n"
    "                       (on Windows: the stand-in libraries in the folder standin beside\n"
    "                       hostsim.exe). A description file saying windows=64-bit or 32-bit\n"
    "                       gives the machine's kind; a path C:\\dir\\file is drive_c/dir/file\n"
    "                       there\n"
    "  --show NAME,...      the variables whose values each row shows; with --script alone,\n"
    "                       the script runs to its end and prints the one row of this\n"
    "                       machine, as a fleet prints the row of each of its machines\n"
    "  --format text|tsv    with --show or --fleet: the table for a reader (default) or a\n"
    "                       spreadsheet\n"
    "  --report FILE.html   with --script or --fleet: also write the results as one page for a\n"
    "                       browser (works opened from disk): a row per machine, counts,\n"
    "                       filter, sort and search, and each machine's run step by step\n"
    "  --junit FILE.xml     with --script or --fleet: also write the results as JUnit XML for a\n"
    "                       CI server: a testsuite per machine, a testcase per expectation\n"
    "  --jobs N             with --fleet: machines run at the same time, each in a process of\n"
    "                       its own (default: one per processor); the table is the same\n"
    "  --time-limit SECONDS with --fleet: a machine's run that takes longer is stopped and\n"
    "                       its row says so (default 60); so is a machine whose run crashes.\n"
    "                       On a terminal, stderr shows how many machines are done\n"
    "  --no-cache           read every export afresh, taking no index from the index cache\n"
    "                       and keeping none there. The cache ($XDG_CACHE_HOME/vantrel, else\n"
    "                       ~/.cache/vantrel; on Windows %LOCALAPPDATA%\\vantrel) keeps each\n"
    "                       export's index for as long as the file stays as it was; it is\n"
    "                       kept under VANTREL_CACHE_SIZE (such as 500M; 4G when unset)\n"
    "  --snapshot DIR       (Windows) write this machine as a machine folder for --fleet: its\n"
    "                       registry as its reg.exe exports it (SOFTWARE in the 64-bit view on\n"
    "                       64-bit Windows, the code page's key, keys the --script names), the\n"
    "                       instruments GetHW lists, the files its DRIVER_PATH names and a\n"
    "                       description; DIR must not exist, and appears only when whole; a\n"
    "                       second snapshot of DIR while one runs stops and says so\n"
    "  --help               this text\n"
    "\n";

struct Options {
    host::TableShape shape;
    std::string result = "RESULT";
    std::string registry;
    std::string machine;
    std::string code_page;
    std::string script;
    std::string fleet;
    std::string snapshot;
    std::vector<std::string> shown;
    std::string format;
    std::string report;
    std::string junit;
    unsigned jobs = 0;  // 0: one per processor
    double time_limit_seconds = 60;
    bool fleet_only_option = false;  // --jobs or --time-limit given
    bool no_cache = false;
    std::vector<std::string> positional;
};

[[noreturn]] void fail(const std::string& message, int status = 1) {
    std::cerr << "hostsim: " << message << '\n';
    std::exit(status);
}

std::uint32_t read_count(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || *end != '\0' || value > 0x7FFFFFFFul) {
        fail(option + " needs a whole number, not '" + text + "'", 2);
    }
    return static_cast<std::uint32_t>(value);
}

// "A,B,C" -> A, B, C; empty names are dropped.
std::vector<std::string> names(const std::string& list) {
    std::vector<std::string> all;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (end > start) all.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return all;
}

Options read_options(const std::vector<std::string>& argv) {
    Options options;
    const std::size_t argc = argv.size();
    for (std::size_t i = 0; i < argc; ++i) {
        const std::string& argument = argv[i];
        const bool has_value = i + 1 < argc;
        if (argument == "--help") {
            std::cout << usage << hostsim::script_help;
            std::exit(0);
        } else if (argument == "--no-cache") {
            options.no_cache = true;
        } else if (argument.rfind("--", 0) == 0 && !has_value) {
            fail("unknown option or missing value: " + argument + " (see --help)", 2);
        } else if (argument == "--registry") {
            options.registry = argv[++i];
        } else if (argument == "--machine") {
            options.machine = argv[++i];
        } else if (argument == "--code-page") {
            options.code_page = argv[++i];
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
        } else if (argument == "--fleet") {
            options.fleet = argv[++i];
        } else if (argument == "--snapshot") {
            options.snapshot = argv[++i];
        } else if (argument == "--show") {
            options.shown = names(argv[++i]);
        } else if (argument == "--format") {
            options.format = argv[++i];
        } else if (argument == "--report") {
            options.report = argv[++i];
        } else if (argument == "--junit") {
            options.junit = argv[++i];
        } else if (argument == "--jobs") {
            options.jobs = read_count(argument, argv[++i]);
            if (options.jobs == 0) fail("--jobs needs at least 1", 2);
            options.fleet_only_option = true;
        } else if (argument == "--time-limit") {
            options.time_limit_seconds = read_count(argument, argv[++i]);
            if (options.time_limit_seconds == 0) fail("--time-limit needs at least 1 second", 2);
            options.fleet_only_option = true;
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

// The index cache for the exports this run reads, and what it could not do.
void use_index_cache(const Options& options) {
    std::string error;
    if (!host::use_index_cache(!options.no_cache, error)) fail(error, 2);
}

void tell_index_cache_note() {
    const std::string note = host::take_index_cache_note();
    if (!note.empty()) std::cerr << note << '\n';
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
        std::cout << bare(name) << " = \"" << hostsim::shown(value) << "\"\n";
    }
    return 0;
}

std::string file_name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

hostsim::TableFormat table_format(const Options& options) {
    if (options.format != "" && options.format != "text" && options.format != "tsv") {
        fail("--format is text or tsv, not '" + options.format + "'", 2);
    }
    return options.format == "tsv" ? hostsim::TableFormat::tsv : hostsim::TableFormat::text;
}

// The HTML report and the JUnit results asked for, opened before the run: a path that
// cannot be written fails at once, not after a fleet's run.
class ResultFiles {
public:
    explicit ResultFiles(const Options& options) : report_path_(options.report), junit_path_(options.junit) {
        open(report_path_, report_);
        open(junit_path_, junit_);
    }

    void write(const hostsim::ReportSource& source, const std::vector<hostsim::MachineRow>& rows) {
        if (!report_path_.empty()) hostsim::write_html_report(source, rows, report_);
        if (!junit_path_.empty()) hostsim::write_junit_results(source.script, rows, junit_);
        close(report_path_, report_);
        close(junit_path_, junit_);
    }

private:
    static void open(const std::string& path, std::ofstream& file) {
        if (path.empty()) return;
        file.open(path, std::ios::binary | std::ios::trunc);
        if (!file) fail("cannot write " + path);
    }

    static void close(const std::string& path, std::ofstream& file) {
        if (path.empty()) return;
        file.close();
        if (!file) fail("cannot write " + path);
    }

    std::string report_path_, junit_path_;
    std::ofstream report_, junit_;
};

// The one row of the machine the libraries see: the registry file's (named as a fleet names
// a bare .reg machine) or, on Windows, this computer's.
int run_one_row(const Options& options) {
    if (!options.positional.empty()) fail("--script takes no LIBRARY or EXPORT", 2);
    const hostsim::TableFormat format = table_format(options);
    std::string error;
    hostsim::FleetRun run{{}, options.shape, options.result, options.shown};
    if (!hostsim::load_script(options.script, run.script, error)) fail(error);
    ResultFiles files(options);
    const std::string name = options.registry.empty() ? host::this_machine().computer : file_name(options.registry);
    hostsim::DescriptionLines description;
    if (options.registry.empty()) description = hostsim::describe_this_computer(VANTREL_VERSION);
    const std::vector<hostsim::MachineRow> rows{hostsim::run_here(run, name, std::move(description))};
    host::write_lines_as_they_are();
    hostsim::print_fleet_table(run.script, options.shown, rows, format, std::cout);
    files.write({options.script + " on " + name, run.script, options.shown}, rows);
    return hostsim::met_every_expectation(rows.front()) ? 0 : 1;
}

int run_fleet(const Options& options) {
    if (options.script.empty()) fail("--fleet needs --script FILE", 2);
    if (!options.registry.empty()) fail("--fleet takes no --registry: each machine brings its own", 2);
    if (!options.positional.empty()) fail("--fleet takes no LIBRARY or EXPORT", 2);
    const hostsim::TableFormat format = table_format(options);
    std::string error;
    hostsim::FleetRun run{{}, options.shape, options.result, options.shown};
    if (!hostsim::load_script(options.script, run.script, error)) fail(error);
    std::vector<hostsim::Machine> machines;
    if (!hostsim::list_machines(options.fleet, machines, error)) fail(error);
    if (machines.empty()) fail(options.fleet + " holds no machines (each is a .reg file, or a folder with registry.reg)");
    // Opened before the machines run, so that a path that cannot be written fails at once;
    // never by a process that runs one machine for its parent, which writes no results.
    std::optional<ResultFiles> files;
    if (!host::runs_a_parents_task()) files.emplace(options);
    const hostsim::FleetJobs jobs{options.jobs, options.time_limit_seconds};
    use_index_cache(options);
    tell_index_cache_note();
    std::vector<hostsim::MachineRow> rows;
    {
        // A process that runs one machine for its parent (on Windows) shows no progress of
        // its own: the parent's line is the fleet's.
        const bool shown = host::error_stream_is_terminal() && !host::runs_a_parents_task();
        hostsim::Progress progress(std::cerr, shown, machines.size());
        const auto update = [&progress](std::size_t done) { progress.update(done); };
        if (!hostsim::run_fleet(run, machines, jobs, rows, error, update)) fail(error);
    }
    host::write_lines_as_they_are();
    hostsim::print_fleet_table(run.script, options.shown, rows, format, std::cout);
    files->write({options.script + " on " + options.fleet, run.script, options.shown}, rows);
    return std::all_of(rows.begin(), rows.end(), hostsim::met_every_expectation) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = read_options(host::utf8_arguments(argc, argv));
    std::string error;
    if (!options.fleet.empty() && !host::show_exports(error)) fail(error);
    if (!options.machine.empty() && !host::state_machine_kind(options.machine, error)) fail(error, 2);
    if (!options.code_page.empty() && !host::state_code_page(options.code_page, error)) fail(error, 2);
    if (!options.fleet.empty()) return run_fleet(options);
    if (options.fleet_only_option) fail("--jobs and --time-limit go with --fleet", 2);
    if (!options.snapshot.empty()) {
        if (!options.positional.empty() || !options.registry.empty() || !options.shown.empty() ||
            !options.report.empty() || !options.junit.empty()) {
            fail("--snapshot takes only --script FILE", 2);
        }
        return hostsim::take_snapshot({options.snapshot, options.script, VANTREL_VERSION}, std::cout, std::cerr);
    }
    if ((!options.shown.empty() || !options.format.empty()) && options.script.empty()) {
        fail("--show and --format go with --script or --fleet", 2);
    }
    const bool results_asked = !options.report.empty() || !options.junit.empty();
    if (results_asked && options.script.empty()) fail("--report and --junit go with --script or --fleet", 2);
    if (!options.registry.empty()) {
        use_index_cache(options);
        const bool shown = host::use_registry_file(options.registry, error);
        tell_index_cache_note();
        if (!shown) fail(error);
    }
    if (!options.shown.empty() || !options.format.empty() || results_asked) return run_one_row(options);
    hostsim::Session session(options.shape);
    if (options.script.empty()) return call_once(options, session);
    if (!options.positional.empty()) fail("--script takes no LIBRARY or EXPORT", 2);
    if (!hostsim::run_script(options.script, session, options.result, std::cout, error)) fail(error);
    return 0;
}
