// Latency of the SAPI voices of the espeak-ng runtime, in the program's own
// path (engine dispatch, client, runtime, wave-out of the headless host):
//   - engine_speak to the first samples written to the device, real time,
//     for a short sentence (goal: within 30 ms), against espeak-ng's own
//     time to its first samples for the same sentence (the peer);
//   - a key to silence: virtual time from the key reaching the program to
//     the device being reset (goal: within one 93 ms block).
#include <benchmark/benchmark.h>

#include <chrono>
#include <limits>
#include <string>

#include "host/espeak/runtime.h"
#include "host/espeak/synth.h"
#include "host/headless/headless_backend.h"
#include "sapi/com.h"
#include "sound/wave_player.h"
#include "speech/engine.h"
#include "textwindow/text_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* short_sentence = "Bom dia, Maria.";
constexpr const char* long_text =
    "Era uma vez um menino que gostava muito de letras e de numeros, e que aprendia uma letra "
    "nova a cada dia, cantando.";

// The headless wave-out, noting when the first block arrives.
struct TimedWaveOut : host::WaveOut {
    explicit TimedWaveOut(host::WaveOut& inner) : inner(inner) {}
    host::WaveOut& inner;
    Clock::time_point first_write{};
    bool written = false;
    int open(const host::PcmFormat& f) override { return inner.open(f); }
    bool is_open() const override { return inner.is_open(); }
    int write(uint32_t id, const uint8_t* data, size_t n) override {
        if (!written) {
            first_write = Clock::now();
            written = true;
        }
        return inner.write(id, data, n);
    }
    void reset() override { inner.reset(); }
    void close() override { inner.close(); }
};

struct Rig {
    explicit Rig(std::string_view script = "")
        : backend(options(script)),
          base(backend.host()),
          wave(base.wave_out),
          timed{base.messages, base.clock,    base.window,    wave,       base.sound_player,
                base.files,    base.registry, base.libraries, base.trace, base.process},
          runtime(timed),
          window(runtime.host(), "bench"),
          player(runtime.host(), window),
          engines(runtime.host(), window, player, factory, no_vedra) {
        runtime.register_classes(factory);
    }
    static host::headless::HeadlessOptions options(std::string_view script) {
        host::headless::HeadlessOptions o;
        o.script = std::string(script);
        o.trace_to_stdout = false;
        o.idle_limit_ms = std::numeric_limits<uint32_t>::max();
        return o;
    }
    host::headless::HeadlessBackend backend;
    host::Host& base;
    TimedWaveOut wave;
    host::Host timed;
    host::espeak::Runtime runtime;
    textwindow::TextWindow window;
    sound::WavePlayer player;
    sapi::Factory factory;
    speech::NoVedra no_vedra;
    speech::Engines engines;
};

void BM_EngineSpeakToFirstSamples(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    Rig rig;
    speech::EngineDispatch& engine = rig.engines.dispatch();
    if (!engine.engine_start(1, 0, 0, type, "")) {
        state.SkipWithError("no espeak-ng voice");
        return;
    }
    double total_ms = 0;
    for (auto _ : state) {
        rig.wave.written = false;
        const Clock::time_point start = Clock::now();
        engine.engine_speak(short_sentence);
        if (!rig.wave.written) rig.window.pump_messages();
        const double ms =
            std::chrono::duration<double, std::milli>(rig.wave.first_write - start).count();
        state.SetIterationTime(ms / 1000);
        total_ms += ms;
        state.PauseTiming();
        rig.window.pump_messages();  // the notifications the stop relies on
        engine.engine_stop();
        rig.window.pump_messages();
        state.ResumeTiming();
    }
    engine.engine_close();
    state.counters["first_samples_ms"] = total_ms / double(state.iterations());
}
BENCHMARK(BM_EngineSpeakToFirstSamples)
    ->Arg(5)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The peer: espeak-ng alone, from the start of the text to its first samples.
void BM_EspeakToFirstSamples(benchmark::State& state) {
    host::espeak::Synth* synth = host::espeak::Synth::instance();
    if (!synth) {
        state.SkipWithError("no espeak-ng voice");
        return;
    }
    int16_t samples[256];
    double total_ms = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        synth->start({short_sentence, synth->voices()[0].identifier, 175, 50, false});
        synth->take(samples, 256);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.SetIterationTime(ms / 1000);
        total_ms += ms;
        synth->cancel();
    }
    state.counters["first_samples_ms"] = total_ms / double(state.iterations());
}
BENCHMARK(BM_EspeakToFirstSamples)->UseManualTime()->Unit(benchmark::kMillisecond);

// The program's wait around the engine: a key at 300 ms (virtual) stops it.
void BM_KeyToSilence(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    double silence_after_key_ms = 0;
    for (auto _ : state) {
        Rig rig("wait 300 A");
        speech::EngineDispatch& engine = rig.engines.dispatch();
        if (!engine.engine_start(1, 0, 0, type, "")) {
            state.SkipWithError("no espeak-ng voice");
            return;
        }
        engine.engine_speak(long_text);
        // speech_busy's order: the key first, then the engine.
        for (;;) {
            if (rig.window.key_pressed()) {
                engine.engine_stop();
                break;
            }
            if (!engine.engine_busy(0)) break;
            rig.window.wait_message();
        }
        uint64_t stop_ms = 0;
        for (const std::string& line : rig.backend.trace_lines())
            if (line.find(" wave-stop") != std::string::npos) stop_ms = std::stoull(line);
        silence_after_key_ms = double(stop_ms) - 300;
        engine.engine_close();
    }
    state.counters["silence_after_key_ms"] = silence_after_key_ms;
    state.counters["block_ms"] = 2048 * 1000.0 / 22050;
}
BENCHMARK(BM_KeyToSilence)->Arg(5)->Arg(4)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
