// Whole-process CPU time (user + system) of `falar -w` against espeak-ng
// writing the same word to a WAV file, run after run in the same benchmark:
// the median of each and their ratio (falar / espeak-ng; the goal is at most
// 1). Both read the shipped data; the outputs go to a temporary folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace {

// CPU milliseconds of one run of the program; negative when it failed.
double cpu_ms(const std::vector<std::string>& arguments) {
    rusage usage{};
    if (!bench::run_to_end(arguments, usage)) return -1;
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_FalarWriteStartUpCpu(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path() / "zimbalot-startup-bench";
    std::filesystem::create_directories(folder);
    const std::vector<std::string> falar = {ZIMBALOT_BINARY_DIR "/app/falar",
                                            "--config",
                                            ZIMBALOT_DATA_SET,
                                            "-w",
                                            folder + "/falar.wav",
                                            "casa"};
    const std::vector<std::string> espeak = {
        "espeak-ng", "-v", "pt-br", "-w", folder + "/espeak.wav", "casa"};
    std::vector<double> ours, theirs;
    for (auto _ : state) {
        // Interleaved, so that both see the same machine load.
        for (int run = 0; run < 21; ++run) {
            const double a = cpu_ms(falar);
            const double b = cpu_ms(espeak);
            if (a < 0 || b < 0) {
                state.SkipWithError(a < 0 ? "falar -w failed" : "espeak-ng -w failed");
                return;
            }
            ours.push_back(a);
            theirs.push_back(b);
        }
    }
    std::filesystem::remove_all(folder);
    state.counters["falar_cpu_ms"] = median(ours);
    state.counters["espeak_cpu_ms"] = median(theirs);
    state.counters["ratio"] = median(ours) / std::max(0.001, median(theirs));
}
BENCHMARK(BM_FalarWriteStartUpCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
