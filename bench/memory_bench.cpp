// Peak resident memory of `falar -w` and `falar --phonemes` over 20,000 and
// 200,000 characters of the shipped sentences, against espeak-ng on the same
// text in the same run. The samples and the trace stream to their files, so
// the peak must not grow with the text (goal: within 10 % from 20 KB to
// 200 KB, and at most 25 MB).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace {

// Peak resident set of one run of the program in KB; negative when it failed.
long peak_rss_kb(const std::vector<std::string>& arguments) {
    rusage usage{};
    return bench::run_to_end(arguments, usage) ? usage.ru_maxrss : -1;
}

// The shipped check sentences, repeated to `length` bytes, as words.
std::vector<std::string> text_words(size_t length) {
    std::ifstream in(ZIMBALOT_SOURCE_DIR "/data/frases.txt");
    std::string line, sentences;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') sentences += line + " ";
    std::vector<std::string> words;
    size_t total = 0;
    while (total < length && !sentences.empty()) {
        std::istringstream split(sentences);
        std::string word;
        while (total < length && split >> word) {
            total += word.size() + 1;
            words.push_back(word);
        }
    }
    return words;
}

void BM_FalarPeakMemory(benchmark::State& state) {
    const bool write_wav = state.range(0) == 1;
    const auto length = static_cast<size_t>(state.range(1));
    const std::string folder = std::filesystem::temp_directory_path() / "zimbalot-memory-bench";
    std::filesystem::create_directories(folder);
    const std::vector<std::string> words = text_words(length);
    {
        std::ofstream text(folder + "/texto.txt");
        for (const std::string& w : words) text << w << ' ';
    }
    std::vector<std::string> falar = {ZIMBALOT_BINARY_DIR "/app/falar", "--config",
                                      ZIMBALOT_DATA_SET};
    std::vector<std::string> espeak = {"espeak-ng", "-v", "pt-br", "-f", folder + "/texto.txt"};
    if (write_wav) {
        falar.insert(falar.end(), {"-w", folder + "/falar.wav"});
        espeak.insert(espeak.end(), {"-w", folder + "/espeak.wav"});
    } else {
        falar.push_back("--phonemes");
        espeak.insert(espeak.end(), {"-q", "-x"});
    }
    falar.push_back("--");
    falar.insert(falar.end(), words.begin(), words.end());
    long ours = 0, theirs = 0;
    for (auto _ : state) {
        ours = peak_rss_kb(falar);
        theirs = peak_rss_kb(espeak);
    }
    std::filesystem::remove_all(folder);
    if (ours < 0 || theirs < 0) {
        state.SkipWithError(ours < 0 ? "falar failed" : "espeak-ng failed");
        return;
    }
    state.counters["falar_MB"] = double(ours) / 1024;
    state.counters["espeak_MB"] = double(theirs) / 1024;
    state.counters["ratio"] = double(ours) / double(std::max(1L, theirs));
}
BENCHMARK(BM_FalarPeakMemory)
    ->ArgNames({"wav", "chars"})
    ->ArgsProduct({{1, 0}, {20000, 200000}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
