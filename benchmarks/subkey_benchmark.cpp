// Registry operations and time per GetRegKeys call and per full GetRegKey walk, for keys
// of 10 to 1000 subkeys in the stand-in registry. The operation counts are what the
// exports ask of the registry, the same on Windows; the times are the stand-in's, which
// reads its .reg file afresh at every main-key open.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/variable_table.h"
#include "hostcall/host_call.h"
#include "test_hooks/registry_operations.h"

extern "C" std::int32_t GetRegKey(HostCallRecord* record) noexcept;
extern "C" std::int32_t GetRegKeys(HostCallRecord* record) noexcept;

namespace {

const char* const benchmark_key = "SOFTWARE\\Korvalis\\Benchmark";
constexpr std::int64_t entry_capacity = 250;

// A key of n subkeys "5.0", "5.1", ..., each with its own install path, installed as the
// registry the stand-in reads.
class BenchmarkRegistry {
public:
    explicit BenchmarkRegistry(std::int64_t subkeys)
        : file_("/tmp/vantrel-benchmark-" + std::to_string(getpid()) + ".reg") {
        std::ofstream reg(file_, std::ios::binary);
        reg << "Windows Registry Editor Version 5.00\r\n\r\n";
        for (std::int64_t i = 0; i < subkeys; ++i) {
            reg << "[HKEY_LOCAL_MACHINE\\" << benchmark_key << "\\5." << i << "]\r\n"
                << "\"Path\"=\"C:\\\\Korvalis\\\\Runtime 5." << i << "\"\r\n";
        }
        setenv("VANTREL_REGISTRY", file_.c_str(), 1);
    }
    ~BenchmarkRegistry() {
        unsetenv("VANTREL_REGISTRY");
        std::remove(file_.c_str());
    }
    BenchmarkRegistry(const BenchmarkRegistry&) = delete;
    BenchmarkRegistry& operator=(const BenchmarkRegistry&) = delete;

private:
    std::string file_;
};

void report_operations(benchmark::State& state, std::uint64_t operations, double literal_operations) {
    state.counters["registry_ops"] = benchmark::Counter(static_cast<double>(operations),
                                                        benchmark::Counter::kAvgIterations);
    state.counters["literal_ops"] = literal_operations;
}

void GetRegKeysCall(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    BenchmarkRegistry registry(n);
    host::VariableTable table;
    table.set("REGISTRY_KEY", benchmark_key);
    table.set("REGISTRY_CRT", "Path");
    const std::uint64_t before = platform::registry_operations();
    for (auto _ : state) {
        if (GetRegKeys(&table.record("RESULT")) != 1) state.SkipWithError("GetRegKeys failed");
    }
    // Each subkey listed, up to the table's 250 entries; the literal re-read check reads
    // the values of all earlier entries again for every entry.
    const double e = static_cast<double>(n < entry_capacity ? n : entry_capacity);
    report_operations(state, platform::registry_operations() - before, 4.0 * n + 3.0 * e * (e + 1) / 2);
}

void GetRegKeyWalk(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    BenchmarkRegistry registry(n);
    host::VariableTable table;
    table.set("REGISTRY_KEY", benchmark_key);
    const std::uint64_t before = platform::registry_operations();
    for (auto _ : state) {
        std::int64_t index = 0;
        for (;; ++index) {
            table.set("REGISTRY_ITER", std::to_string(index));
            if (GetRegKey(&table.record("RESULT")) != 1) break;
        }
        if (index != n) state.SkipWithError("the walk did not see every subkey");
    }
    // Reading every subkey up to the index, the walk would enumerate n(n+1)/2 times.
    report_operations(state, platform::registry_operations() - before, n * (n + 1) / 2.0);
}

}  // namespace

BENCHMARK(GetRegKeysCall)->Arg(10)->Arg(100)->Arg(250)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(GetRegKeyWalk)->Arg(10)->Arg(100)->Arg(250)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
