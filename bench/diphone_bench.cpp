// The diphone synthesizer's costs: letter-to-sound over Debian's Brazilian
// word list (beside espeak-ng's own text-to-phoneme translation of the same
// words), start-up with a full exceptions table, and the concatenation of
// units into the speech buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "diphone/bank.h"
#include "diphone/diphone_synth.h"
#include "diphone/letter_to_sound.h"
#include "host/common/posix_files.h"
#include "host/text.h"

#ifdef ZIMBALOT_HAVE_ESPEAK
#include <espeak-ng/speak_lib.h>
#endif

namespace {

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct WordList {
    std::vector<std::string> utf8;
    std::vector<std::string> cp1252;
};

const WordList& word_list() {
    static const WordList list = [] {
        WordList l;
        const std::string text = read_text("/usr/share/dict/brazilian");
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            if (end > pos) {
                l.utf8.push_back(text.substr(pos, end - pos));
                l.cp1252.push_back(host::utf8_to_cp1252(l.utf8.back()));
            }
            pos = end + 1;
        }
        return l;
    }();
    return list;
}

const diphone::Lexicon& fixture_lexicon() {
    static const diphone::Lexicon lexicon = [] {
        diphone::Lexicon l;
        const std::string dir = std::string(ZIMBALOT_SOURCE_DIR) + "/tests/fixtures/diphone/";
        diphone::parse_diphone_rules(read_text(dir + "regras.rgr"), l.rules);
        diphone::parse_diphone_exceptions(read_text(dir + "portug.exc"), l.exceptions);
        return l;
    }();
    return lexicon;
}

size_t convert_all(const std::vector<std::string>& words) {
    size_t bytes = 0;
    for (const auto& w : words) bytes += diphone::convert_to_phonemes(fixture_lexicon(), w).size();
    return bytes;
}

void BM_ConvertWordList(benchmark::State& state) {
    const auto& words = word_list().cp1252;
    if (words.empty()) return state.SkipWithError("the wbrazilian word list is not installed");
    for (auto _ : state) benchmark::DoNotOptimize(convert_all(words));
    state.counters["words/s"] = benchmark::Counter(
        static_cast<double>(words.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertWordList)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef ZIMBALOT_HAVE_ESPEAK
// Both translations over the same words in one run; the iteration time is
// ours, and the counters give both rates and their ratio.
void BM_ConvertWordListBesideEspeak(benchmark::State& state) {
    const auto& list = word_list();
    if (list.utf8.empty()) return state.SkipWithError("the wbrazilian word list is not installed");
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0) < 0 ||
        espeak_SetVoiceByName("pt-br") != EE_OK)
        return state.SkipWithError("espeak-ng has no pt-br voice");
    double ours_s = 0;
    double theirs_s = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(convert_all(list.cp1252));
        auto t1 = std::chrono::steady_clock::now();
        size_t bytes = 0;
        for (const auto& w : list.utf8) {
            const void* text = w.c_str();
            while (text) {
                const char* phonemes = espeak_TextToPhonemes(&text, espeakCHARS_UTF8, 0);
                if (phonemes) bytes += std::char_traits<char>::length(phonemes);
            }
        }
        benchmark::DoNotOptimize(bytes);
        auto t2 = std::chrono::steady_clock::now();
        ours_s += std::chrono::duration<double>(t1 - t0).count();
        theirs_s += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    const double words = static_cast<double>(list.utf8.size() * state.iterations());
    state.counters["ours_words/s"] = words / ours_s;
    state.counters["espeak_words/s"] = words / theirs_s;
    state.counters["speedup"] = theirs_s / ours_s;
    espeak_Terminate();
}
BENCHMARK(BM_ConvertWordListBesideEspeak)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
#endif

// A synthesizer folder set on disk: KORALU.INI, rules, exceptions and a bank.
struct BenchFolders {
    std::filesystem::path root;
    explicit BenchFolders(const std::string& tag) {
        root = std::filesystem::temp_directory_path() /
               ("zimbalot-bench-" + tag + "-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root / "windows");
        std::filesystem::create_directories(root / "letras");
        std::filesystem::create_directories(root / "difones");
        write("windows/KORALU.INI", "[TRADUTOR]\ndirLetras=" + (root / "letras").string() +
                                        "\nDIRDIFONES=" + (root / "difones").string() + "\n");
        const std::string fixtures = std::string(ZIMBALOT_SOURCE_DIR) + "/tests/fixtures/diphone/";
        write("difones/regras.rgr", read_text(fixtures + "regras.rgr"));
        write("difones/portug.exc", read_text(fixtures + "portug.exc"));
    }
    ~BenchFolders() {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root / name, std::ios::binary) << bytes;
    }
    // A bank with every named unit, each `length` bytes long.
    void write_bank(const std::set<std::string>& names, size_t length) const {
        std::vector<diphone::IndexRecord> records;
        std::string data;
        for (const auto& n : names) {
            records.push_back(
                {n, static_cast<uint16_t>(length), static_cast<uint32_t>(data.size())});
            data.append(length, static_cast<char>(100 + records.size() % 50));
        }
        const auto index = diphone::encode_index(records);
        write("difones/DIFONES2.IND", std::string(index.begin(), index.end()));
        write("difones/DIFONES2.DIF", data);
    }
};

struct DiscardOutput : diphone::SpeechOutput {
    uint64_t samples = 0;
    void play_image_and_wait(const uint8_t*, size_t length) override { samples += length - 44; }
};

void BM_StartWith15000Exceptions(benchmark::State& state) {
    const auto& words = word_list().cp1252;
    if (words.size() < 15000)
        return state.SkipWithError("the wbrazilian word list is not installed");
    BenchFolders folders("start");
    // 15000 distinct words in a shuffled order, so the sort has work to do.
    std::vector<std::string> chosen(words.begin(), words.begin() + 15000);
    std::shuffle(chosen.begin(), chosen.end(), std::mt19937(5));
    std::string exceptions;
    for (const auto& w : chosen) exceptions += w + "=" + w + "|\r\n";
    folders.write("difones/portug.exc", exceptions);
    folders.write_bank({"$A", "$KA"}, 100);
    host::common::PosixFiles files{host::ConfigFolders::only((folders.root / "windows").string())};
    host::Random random;
    DiscardOutput output;
    diphone::DiphoneSynth synth(files, random, output);
    for (auto _ : state) {
        if (synth.start_diphone_synth() != 0) return state.SkipWithError("start-up failed");
        state.PauseTiming();
        synth.stop_diphone_synth();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWith15000Exceptions)->Unit(benchmark::kMillisecond);

// Names the units a phoneme string asks for, finding every one.
struct NameCollector : diphone::UnitPlayer {
    std::set<std::string> names;
    void begin_utterance() override {}
    bool play_unit(std::string_view name, diphone::StressMode, double) override {
        std::string upper(name);
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (upper.size() <= diphone::max_index_name_chars) names.insert(upper);
        return true;
    }
    bool play_letter_sound(std::string_view) override { return true; }
    void append_silence(int) override {}
    void append_noise() override {}
    void flush_speech() override {}
};

void BM_SpeakPhonemesIntoBuffer(benchmark::State& state) {
    const auto& words = word_list().cp1252;
    if (words.size() < 2000)
        return state.SkipWithError("the wbrazilian word list is not installed");
    // A sentence-sized utterance: 2000 words from across the list.
    std::vector<std::string> utterances;
    NameCollector collector;
    for (size_t i = 0; i < 2000; ++i) {
        utterances.push_back(
            diphone::convert_to_phonemes(fixture_lexicon(), words[i * (words.size() / 2000)]));
        diphone::speak_phonemes(utterances.back(), false, 100, collector);
    }
    BenchFolders folders("speak");
    folders.write_bank(collector.names, 900);
    host::common::PosixFiles files{host::ConfigFolders::only((folders.root / "windows").string())};
    host::Random random;
    DiscardOutput output;
    diphone::DiphoneSynth synth(files, random, output);
    if (synth.start_diphone_synth() != 0) return state.SkipWithError("start-up failed");
    for (auto _ : state)
        for (const auto& u : utterances) synth.speak_phonemes(u, false);
    state.counters["speech_s/s"] = benchmark::Counter(static_cast<double>(output.samples) / 11025.0,
                                                      benchmark::Counter::kIsRate);
    state.counters["found_%"] = synth.unit_stats.requested
                                    ? 100.0 * static_cast<double>(synth.unit_stats.found) /
                                          static_cast<double>(synth.unit_stats.requested)
                                    : 0;
}
BENCHMARK(BM_SpeakPhonemesIntoBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
