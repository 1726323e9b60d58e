// The in-process MBROLA synthesizer over the generated voice: phoneme lines
// to samples, beside espeak-ng synthesising the same sentences in the same
// run. Counters: real-time factor of each, and their ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "mbrola/session.h"

#ifdef ZIMBALOT_HAVE_ESPEAK
#include <espeak-ng/speak_lib.h>
#endif

namespace {

struct Sentence {
    const char* text;
    const char* lines;
};

// The lines are what VEDRA writes for the text (durations and melody).
const Sentence kSentences[] = {
    {"a casa é bonita.",
     "_ 50\na 90 50 120\nk 70\na 110 50 130\nz 60\na 80 50 110\nE 120 50 125\nb 60\no 80 50 118\n"
     "n 60\ni 110 50 128\nt 70\na 120 0 110 100 90\n_ 200\n"},
    {"você quer água?",
     "_ 50\nv 60\no 70 50 115\ns 90\ne 130 50 120\nk 70\nE 110 50 118\nr2 50\na 150 0 120 100 170\n"
     "g 50\nw 50\na 140 0 170 100 190\n_ 200\n"},
    {"meu pai chegou!",
     "_ 50\nm 60\ne 90 50 130\nw 60\np 80\na 150 50 140\ny 60\nS 100\ne 70 50 125\ng 60\n"
     "o 130 50 150\nw 80 100 110\n_ 200\n"},
    {"o filho da tia lhe deu pão.",
     "_ 50\nu 60 50 110\nf 90\ni 100 50 120\nL 80\nu 70 50 112\nd 50\na 80 50 118\ntS 100\n"
     "i 110 50 125\na 90 50 115\nL 70\ni 60 50 110\ndZ 80\ne 90 50 118\nw 50\np 80\n"
     "a~ 160 50 120\nw 80 100 90\n_ 200\n"},
};

#ifdef ZIMBALOT_HAVE_ESPEAK
size_t g_espeak_samples = 0;
int count_samples(short*, int count, espeak_EVENT*) {
    g_espeak_samples += static_cast<size_t>(count > 0 ? count : 0);
    return 0;
}
#endif

void BM_MbrolaSynthesisBesideEspeak(benchmark::State& state) {
    const std::string voice = std::string(ZIMBALOT_BINARY_DIR) + "/koralu/mbrola/br4/br4";
    mbrola::Session session;
    if (session.init(voice.c_str()) < 0)
        return state.SkipWithError("the generated voice is missing");
    session.set_no_error(true);
#ifdef ZIMBALOT_HAVE_ESPEAK
    const int espeak_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (espeak_rate <= 0 || espeak_SetVoiceByName("pt-br") != EE_OK)
        return state.SkipWithError("espeak-ng has no pt-br voice");
    espeak_SetSynthCallback(count_samples);
#endif
    std::vector<int16_t> buffer(16000);
    double ours_s = 0, ours_audio_s = 0, theirs_s = 0, theirs_audio_s = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        size_t samples = 0;
        for (const Sentence& s : kSentences) {
            session.reset();
            session.write(const_cast<char*>(s.lines));
            session.flush();
            int n = 0;
            while ((n = session.read(buffer.data(), 16000)) > 0) samples += static_cast<size_t>(n);
        }
        const auto t1 = std::chrono::steady_clock::now();
        ours_s += std::chrono::duration<double>(t1 - t0).count();
        ours_audio_s += samples / 16000.0;
#ifdef ZIMBALOT_HAVE_ESPEAK
        g_espeak_samples = 0;
        for (const Sentence& s : kSentences)
            espeak_Synth(s.text, std::char_traits<char>::length(s.text) + 1, 0, POS_CHARACTER, 0,
                         espeakCHARS_UTF8, nullptr, nullptr);
        espeak_Synchronize();
        const auto t2 = std::chrono::steady_clock::now();
        theirs_s += std::chrono::duration<double>(t2 - t1).count();
        theirs_audio_s += double(g_espeak_samples) / espeak_rate;
#endif
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.counters["ours_x_real_time"] = ours_audio_s / ours_s;
#ifdef ZIMBALOT_HAVE_ESPEAK
    state.counters["espeak_x_real_time"] = theirs_audio_s / theirs_s;
    state.counters["ours_vs_espeak"] = (ours_audio_s / ours_s) / (theirs_audio_s / theirs_s);
#endif
}
BENCHMARK(BM_MbrolaSynthesisBesideEspeak)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
