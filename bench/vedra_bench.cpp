// The VEDRA front-end's cost: text to MBROLA lines (normalisation, token
// list, transcription, prosody) over Debian's Brazilian word list written as
// running sentences with numbers and punctuation, beside espeak-ng's own
// text-to-phoneme translation of the same sentences (pt-br), in one run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/text.h"
#include "vedra/engine.h"

#ifdef ZIMBALOT_HAVE_ESPEAK
#include <espeak-ng/speak_lib.h>
#endif

namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Sentences {
    std::vector<std::string> utf8;
    std::vector<std::string> cp1252;
    size_t words = 0;
};

// Twelve words a sentence; every fifth sentence carries a number, and the
// endings rotate through statement, question, exclamation and list.
const Sentences& sentences() {
    static const Sentences s = [] {
        Sentences out;
        const std::string text = read_text("/usr/share/dict/brazilian");
        const char* const endings[] = {".", "?", "!", ","};
        std::string sentence;
        size_t in_sentence = 0;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            if (end > pos) {
                sentence += (sentence.empty() ? "" : " ") + text.substr(pos, end - pos);
                ++out.words;
                if (++in_sentence == 12) {
                    const size_t n = out.utf8.size();
                    if (n % 5 == 0) sentence += " " + std::to_string(n * 37 % 100000) + ",5";
                    sentence += endings[n % 4];
                    out.utf8.push_back(sentence);
                    out.cp1252.push_back(host::utf8_to_cp1252(sentence));
                    sentence.clear();
                    in_sentence = 0;
                }
            }
            pos = end + 1;
        }
        return out;
    }();
    return s;
}

// The shipped data files, as the data set holds them (Windows-1252).
vedra::Frontend& frontend() {
    static vedra::Frontend f = [] {
        vedra::Frontend out;
        const std::string dir = std::string(ZIMBALOT_SOURCE_DIR) + "/data/vedra/";
        const auto file = [&](const char* name) {
            return host::utf8_to_cp1252(read_text(dir + name));
        };
        vedra::parse_rules(file("portug.nrl"), out.rules);
        vedra::parse_exceptions(file("portug.exc"), out.exceptions);
        vedra::parse_abbreviations(file("portug.abr"), out.abbreviations);
        out.prosody.parse(file("portug.pro"), nullptr);
        out.diphones.parse(file("portug.dfn"));
        return out;
    }();
    return f;
}

size_t mbrola_lines_of_all(const std::vector<std::string>& texts) {
    vedra::Frontend& f = frontend();
    size_t lines = 0;
    for (const std::string& text : texts) {
        const vedra::PhonemeScript script = f.phoneme_script(f.token_list(f.normalise(text)));
        lines += f.mbrola_lines(script, 1.0, 1.0).size();
    }
    return lines;
}

void BM_VedraTextToMbrolaLines(benchmark::State& state) {
    const Sentences& s = sentences();
    if (s.cp1252.empty()) return state.SkipWithError("the wbrazilian word list is not installed");
    for (auto _ : state) benchmark::DoNotOptimize(mbrola_lines_of_all(s.cp1252));
    state.counters["words/s"] =
        benchmark::Counter(double(s.words * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VedraTextToMbrolaLines)->Unit(benchmark::kMillisecond)->Iterations(2);

#ifdef ZIMBALOT_HAVE_ESPEAK
// Both front-ends over the same sentences in one run: the iteration time is
// ours; the counters give both rates and the ratio.
void BM_VedraBesideEspeakTextToPhonemes(benchmark::State& state) {
    const Sentences& s = sentences();
    if (s.utf8.empty()) return state.SkipWithError("the wbrazilian word list is not installed");
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0) < 0 ||
        espeak_SetVoiceByName("pt-br") != EE_OK)
        return state.SkipWithError("espeak-ng has no pt-br voice");
    double ours_s = 0;
    double theirs_s = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(mbrola_lines_of_all(s.cp1252));
        const auto t1 = std::chrono::steady_clock::now();
        size_t bytes = 0;
        for (const std::string& sentence : s.utf8) {
            const void* text = sentence.c_str();
            while (text) {
                const char* phonemes = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, 0);
                if (phonemes) bytes += std::char_traits<char>::length(phonemes);
            }
        }
        benchmark::DoNotOptimize(bytes);
        const auto t2 = std::chrono::steady_clock::now();
        ours_s += std::chrono::duration<double>(t1 - t0).count();
        theirs_s += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    const double words = double(s.words * state.iterations());
    state.counters["ours_words/s"] = words / ours_s;
    state.counters["espeak_words/s"] = words / theirs_s;
    state.counters["speedup"] = theirs_s / ours_s;
    espeak_Terminate();
}
BENCHMARK(BM_VedraBesideEspeakTextToPhonemes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
#endif

}  // namespace
