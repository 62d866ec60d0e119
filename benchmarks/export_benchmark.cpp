// A machine's full registry export against the cost of reading its bytes. Writes an export
// in the shape regedit gives HKEY_LOCAL_MACHINE\SOFTWARE of a 64-bit machine (UTF-16LE
// with a byte-order mark, CRLF, eight values a key: strings, dwords, binary and multi-string
// data continued over lines), then, in pairs of runs, times a first run of
//     hostsim --registry FILE vantrel GetQuendrix
// (its index cache empty) against `wc -l FILE`, in CPU time (user and system: the machine
// may be shared), and reports the median ratio and hostsim's peak memory beside the file's
// size; then a re-run, the export's index kept. Every hostsim named (--hostsim, repeated:
// say, a build before a change and one after) runs in the same pairs, and all must give the
// same answer. Then a fleet of --fleet machines, each the same full export (hard links), run
// by each hostsim with one job per processor: a first run, every export read (links to one
// file share one index, so --no-cache stands for a first run of distinct exports), and a
// re-run, every index kept. The benchmark's index cache is a folder of its own.
//
// With --shuffled yes the keys are written in an order of chance, their parents after them.
//
//   export_benchmark [--keys N] [--runs N] [--fleet N] [--folder DIR] [--keep yes] [--shuffled yes] [--hostsim PATH]...
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Settings {
    long keys = 200000;
    int runs = 3;
    int fleet = 200;
    std::string folder = fs::temp_directory_path().string();
    std::vector<std::string> hostsims;
    bool keep = false;      // the export stays in the folder, for a closer look
    bool shuffled = false;  // the keys written out of order
};

// Writes ASCII text as UTF-16LE, a chunk at a time.
class Utf16File {
public:
    explicit Utf16File(const std::string& path) : file_(path, std::ios::binary) { file_.write("\xFF\xFE", 2); }
    void write(const std::string& text) {
        wide_.resize(text.size() * 2);
        for (std::size_t i = 0; i < text.size(); ++i) {
            wide_[2 * i] = text[i];
            wide_[2 * i + 1] = '\0';
        }
        file_.write(wide_.data(), static_cast<std::streamsize>(wide_.size()));
    }
    bool good() const { return file_.good(); }

private:
    std::ofstream file_;
    std::string wide_;
};

// "hex(N):" and the bytes, wrapped as regedit wraps them: about 80 columns a line, a
// trailing backslash, two blanks before each continued line.
std::string hex_value(const std::string& name, const std::string& kind, const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string line = "\"" + name + "\"=" + kind + ":";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        line += digits[byte >> 4];
        line += digits[byte & 15];
        if (i + 1 < bytes.size()) line += ',';
        if (line.size() > 76 && i + 1 < bytes.size()) {
            text += line + "\\\r\n";
            line = "  ";
        }
    }
    return text + line + "\r\n";
}

std::string utf16_text(const std::string& text) {
    std::string bytes;
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// The key line and eight values of one component key.
std::string component_key(const std::string& path, long vendor, long product, long component) {
    const std::string place = "Vendor " + std::to_string(vendor) + "\\\\Product " + std::to_string(product) +
                              "\\\\Component " + std::to_string(component);
    std::string binary;
    for (long i = 0; i < 24; ++i) binary += static_cast<char>((vendor * 31 + component * 7 + i) & 0xFF);
    std::ostringstream text;
    text << "[HKEY_LOCAL_MACHINE\\" << path << "]\r\n"
         << "@=\"Component " << component << "\"\r\n"
         << "\"DisplayName\"=\"Component " << component << " of Product " << product << "\"\r\n"
         << "\"InstallLocation\"=\"C:\\\\Program Files\\\\" << place << "\"\r\n"
         << "\"Version\"=\"" << product << "." << component << "." << vendor << "\"\r\n"
         << "\"Flags\"=dword:" << std::hex << (0x10 + component) << std::dec << "\r\n"
         << "\"Size\"=dword:000" << (10000 + vendor * 10 + product) << "\r\n"
         << hex_value("Data", "hex", binary)
         << hex_value("Paths", "hex(7)", utf16_text("C:\\Data\\" + std::to_string(vendor) + std::string(1, '\0') +
                                                     "D:\\Cache" + std::string(2, '\0')))
         << "\r\n";
    return text.str();
}

// The Korvalis products a 64-bit machine holds in both views: GetQuendrix, whose libraries
// are 32-bit, finds its answer below WOW6432Node.
std::string product_keys(const std::string& software) {
    std::string text;
    for (const char* version : {"5.5", "6.1", "6.2"}) {
        text += "[HKEY_LOCAL_MACHINE\\" + software + "\\Korvalis\\Quendrix\\" + version + "]\r\n\"Path\"=\"C:\\\\Korvalis\\\\" +
                version + "\"\r\n\r\n";
    }
    return text;
}

// Keys in the order regedit lists them: by name.
std::string two_digits(long number) {
    return std::string(1, static_cast<char>('0' + number / 10 % 10)) + static_cast<char>('0' + number % 10);
}

struct ExportShape {
    long keys = 0;
    long values = 0;
};

// A key of the export: a vendor's (product and component -1), a product's (component -1)
// or a component's, with its values.
struct KeyPlace {
    long vendor = 0;
    long product = -1;
    long component = -1;
};

std::string key_text(const KeyPlace& place) {
    std::string path = "SOFTWARE\\Vendor" + two_digits(place.vendor / 100) + two_digits(place.vendor % 100);
    if (place.product >= 0) path += "\\Product" + std::to_string(place.product);
    if (place.component < 0) return "[HKEY_LOCAL_MACHINE\\" + path + "]\r\n\r\n";
    return component_key(path + "\\Component" + two_digits(place.component), place.vendor, place.product, place.component);
}

// The keys in the order regedit lists them, or shuffled (the same way every time): an
// export put together out of order, whose keys come before their parents.
ExportShape write_export(const std::string& path, long wanted_keys, bool shuffled) {
    std::vector<KeyPlace> places;
    ExportShape shape;
    shape.keys = 7;
    for (long vendor = 0; shape.keys < wanted_keys; ++vendor) {
        places.push_back({vendor, -1, -1});
        ++shape.keys;
        for (long product = 0; product < 10 && shape.keys < wanted_keys; ++product) {
            places.push_back({vendor, product, -1});
            ++shape.keys;
            for (long component = 0; component < 98 && shape.keys < wanted_keys; ++component) {
                places.push_back({vendor, product, component});
                ++shape.keys;
                shape.values += 8;
            }
        }
    }
    if (shuffled) std::shuffle(places.begin(), places.end(), std::mt19937(20));
    Utf16File file(path);
    file.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n");
    file.write(product_keys("SOFTWARE"));
    for (const KeyPlace& place : places) file.write(key_text(place));
    file.write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node]\r\n\r\n");
    file.write(product_keys("SOFTWARE\\WOW6432Node"));
    shape.keys += 4;
    if (!file.good()) {
        std::cerr << "export_benchmark: cannot write " << path << '\n';
        std::exit(1);
    }
    return shape;
}

struct Measured {
    double cpu_seconds = 0;
    double wall_seconds = 0;
    double peak_mib = 0;
    int status = 0;
};

// Runs the command with its output in the file output, and measures it.
Measured run(const std::vector<std::string>& command, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    Measured measured;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::cerr << "export_benchmark: cannot run " << command[0] << '\n';
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    measured.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measured.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    measured.peak_mib = usage.ru_maxrss / 1024.0;
    measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return measured;
}

std::string read_all(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Settings read_settings(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--keys") {
            settings.keys = std::atol(argv[i + 1]);
        } else if (option == "--runs") {
            settings.runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (option == "--fleet") {
            settings.fleet = std::atoi(argv[i + 1]);
        } else if (option == "--folder") {
            settings.folder = argv[i + 1];
        } else if (option == "--keep") {
            settings.keep = std::string(argv[i + 1]) == "yes";
        } else if (option == "--shuffled") {
            settings.shuffled = std::string(argv[i + 1]) == "yes";
        } else if (option == "--hostsim") {
            settings.hostsims.push_back(argv[i + 1]);
        } else {
            std::cerr << "usage: export_benchmark [--keys N] [--runs N] [--fleet N] [--folder DIR] [--keep yes] "
                         "[--shuffled yes] [--hostsim PATH]...\n";
            std::exit(2);
        }
    }
    if (settings.hostsims.empty()) settings.hostsims.push_back(fs::read_symlink("/proc/self/exe").parent_path() / "hostsim");
    return settings;
}

// Whether the hostsim keeps exports' indexes (an older one does not).
bool keeps_indexes(const std::string& hostsim, const std::string& folder) {
    run({hostsim, "--help"}, folder + "/export-benchmark.help");
    return read_all(folder + "/export-benchmark.help").find("--no-cache") != std::string::npos;
}

// The benchmark's own index cache, emptied.
void empty_index_cache(const Settings& settings) {
    fs::remove_all(settings.folder + "/export-benchmark-cache");
}

// What the benchmark's index cache holds, in bytes.
double cache_bytes(const Settings& settings) {
    double bytes = 0;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(settings.folder + "/export-benchmark-cache", ignored)) {
        if (entry.is_regular_file(ignored)) bytes += static_cast<double>(entry.file_size(ignored));
    }
    return bytes;
}

struct Runs {
    std::vector<double> cpus;
    std::vector<double> ratios;
    double peak_mib = 0;

    void add(const Measured& measured, double wc_cpu) {
        cpus.push_back(measured.cpu_seconds);
        ratios.push_back(measured.cpu_seconds / std::max(wc_cpu, 1e-3));
        peak_mib = std::max(peak_mib, measured.peak_mib);
    }
};

// One call of hostsim on the export; every call must give the same answer.
Measured call_hostsim(const std::string& hostsim, const std::string& export_path, const std::string& output,
                      std::string& answer) {
    const Measured call = run({hostsim, "--registry", export_path, "vantrel", "GetQuendrix"}, output);
    const std::string printed = read_all(output);
    if (call.status != 0 || (!answer.empty() && printed != answer)) {
        std::cerr << "export_benchmark: " << hostsim << " answered otherwise (exit " << call.status << "):\n" << printed;
        std::exit(1);
    }
    answer = printed;
    return call;
}

// The pairs of runs: wc -l, then each hostsim's first run (its cache empty) and re-run, on
// the same file.
std::string compare_with_wc(const Settings& settings, const std::string& export_path, double file_mib) {
    const std::string output = settings.folder + "/export-benchmark.out";
    const std::size_t count = settings.hostsims.size();
    std::vector<Runs> first(count), again(count);
    std::vector<double> index_bytes(count);
    std::vector<double> wc_cpus;
    std::string answer;
    for (int round = 0; round < settings.runs; ++round) {
        const Measured wc = run({"wc", "-l", export_path}, "/dev/null");
        wc_cpus.push_back(wc.cpu_seconds);
        for (std::size_t h = 0; h < count; ++h) {
            empty_index_cache(settings);
            first[h].add(call_hostsim(settings.hostsims[h], export_path, output, answer), wc.cpu_seconds);
            index_bytes[h] = cache_bytes(settings);
            again[h].add(call_hostsim(settings.hostsims[h], export_path, output, answer), wc.cpu_seconds);
        }
    }
    std::printf("wc -l: %.3f s cpu (median of %d)\n", median(wc_cpus), settings.runs);
    for (std::size_t h = 0; h < count; ++h) {
        const char* name = settings.hostsims[h].c_str();
        std::printf("%s, first run: %.3f s cpu, %.1fx wc -l (median of %d paired runs, %.1f-%.1f), peak memory %.0f MiB "
                    "(%.2f of the file)\n",
                    name, median(first[h].cpus), median(first[h].ratios), settings.runs,
                    *std::min_element(first[h].ratios.begin(), first[h].ratios.end()),
                    *std::max_element(first[h].ratios.begin(), first[h].ratios.end()), first[h].peak_mib,
                    first[h].peak_mib / file_mib);
        if (!keeps_indexes(settings.hostsims[h], settings.folder)) {
            std::printf("%s, re-run: keeps no index, costs a first run\n", name);
            continue;
        }
        std::printf("%s, re-run: %.1f ms cpu (median of %d, %.1f-%.1f), peak memory %.0f MiB (%.2f of the file); the "
                    "index kept: %.1f MB (%.3f of the file)\n",
                    name, 1000 * median(again[h].cpus), settings.runs,
                    1000 * *std::min_element(again[h].cpus.begin(), again[h].cpus.end()),
                    1000 * *std::max_element(again[h].cpus.begin(), again[h].cpus.end()), again[h].peak_mib,
                    again[h].peak_mib / file_mib, index_bytes[h] / 1e6, index_bytes[h] / (file_mib * 1024 * 1024));
    }
    std::printf("answer:\n%s", answer.c_str());
    return answer;
}

// One run of the fleet, printed.
void run_fleet(const Settings& settings, const std::string& hostsim, const std::string& folder, const char* what,
               std::vector<std::string> options) {
    std::vector<std::string> command{hostsim, "--script", folder + "/script", "--fleet", folder + "/machines"};
    command.insert(command.end(), options.begin(), options.end());
    const Measured fleet = run(command, folder + "/table");
    if (fleet.status != 0) {
        std::cerr << "export_benchmark: the fleet did not meet its expectations (exit " << fleet.status << ")\n"
                  << read_all(folder + "/table");
        std::exit(1);
    }
    // Cores used: the processor time the fleet had, over the time it took. Below the
    // processors there are, the machine had other work for them.
    std::printf("%s, fleet of %d full exports, %s: %.1f s wall, %.1f s cpu, %.0f ms cpu a machine (%.2f cores used)\n",
                hostsim.c_str(), settings.fleet, what, fleet.wall_seconds, fleet.cpu_seconds,
                1000 * fleet.cpu_seconds / settings.fleet, fleet.cpu_seconds / fleet.wall_seconds);
}

// A fleet of machines that are all the same full export (hard links: no disk per machine).
void fleet_runs(const Settings& settings, const std::string& export_path, std::string answer) {
    const std::string folder = settings.folder + "/export-benchmark-fleet";
    fs::remove_all(folder);
    fs::create_directories(folder + "/machines");
    for (int i = 0; i < settings.fleet; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/machines/m%03d.reg", i);
        fs::create_hard_link(export_path, folder + name);
    }
    std::ofstream(folder + "/script") << "call vantrel GetQuendrix into QUENDRIX_VERSION\nexpect QUENDRIX_VERSION=6.2\n";
    for (const std::string& hostsim : settings.hostsims) {
        if (!keeps_indexes(hostsim, settings.folder)) {
            run_fleet(settings, hostsim, folder, "every export read", {});
            continue;
        }
        run_fleet(settings, hostsim, folder, "first run, every export read (--no-cache)", {"--no-cache"});
        empty_index_cache(settings);
        call_hostsim(hostsim, export_path, folder + "/table", answer);  // the links' one index kept
        run_fleet(settings, hostsim, folder, "re-run, every index kept", {});
    }
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    const Settings settings = read_settings(argc, argv);
    const std::string export_path = settings.folder + "/export-benchmark.reg";
    const ExportShape shape = write_export(export_path, settings.keys, settings.shuffled);
    // Dated an hour back, as an export made on the machine some time ago would be, and left
    // alone a while: the stand-in takes a file changed in the last two seconds for one still
    // being written, and keeps no index of it.
    fs::last_write_time(export_path, fs::last_write_time(export_path) - std::chrono::hours(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    setenv("XDG_CACHE_HOME", (settings.folder + "/export-benchmark-cache").c_str(), 1);
    const double file_mib = fs::file_size(export_path) / (1024.0 * 1024.0);
    std::printf("export: %ld keys%s, %ld values, %.1f MB (%.1f MiB), UTF-16LE\n", shape.keys,
                settings.shuffled ? " in an order of chance" : "", shape.values, fs::file_size(export_path) / 1e6, file_mib);
    const std::string answer = compare_with_wc(settings, export_path, file_mib);
    if (settings.fleet > 0) fleet_runs(settings, export_path, answer);
    empty_index_cache(settings);
    if (!settings.keep) fs::remove(export_path);
    return 0;
}
