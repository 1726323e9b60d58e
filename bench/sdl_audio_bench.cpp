// How long after its last sample a synchronous sound returns, and a
// wave-out block is reported done, on SDL's dummy driver (which takes samples
// at the real rate): the median lag over the shipped "toc" and a few letter
// sounds. Wall-clock time; each run lasts a few seconds.
#include <SDL_hints.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "host/common/posix_files.h"
#include "host/sdl/sdl_audio.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Queue : host::MessageQueue {
    std::deque<host::Message> messages;
    bool peek_message(host::Message& out) override {
        if (messages.empty()) return false;
        out = messages.front();
        messages.pop_front();
        return true;
    }
    void wait_message() override {}
    void post_message(const host::Message& m) override { messages.push_back(m); }
    host::Modifiers key_state() const override { return {}; }
};

struct NoTrace : host::Trace {
    void event(std::string_view, std::string_view) override {}
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms_since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Rig {
    Rig() {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        audio = std::make_unique<host::sdl::SdlAudio>(host::sdl::linked_sdl_audio_api(), queue,
                                                      trace, files);
    }
    Queue queue;
    NoTrace trace;
    host::common::PosixFiles files;
    std::unique_ptr<host::sdl::SdlAudio> audio;
};

void BM_SyncSoundLag(benchmark::State& state) {
    Rig rig;
    const std::string folder = ZIMBALOT_DATA_SET "/zimbalot/";
    std::vector<double> lags;
    for (auto _ : state) {
        for (const char* name : {"toc", "toc", "toc", "A1", "B1", "plin", "toc"}) {
            const std::string path = folder + name + ".wav";
            const double length_ms = host::common::wav_file_duration_ms(rig.files, path);
            const auto start = Clock::now();
            if (!rig.audio->play_file_sync(path)) {
                state.SkipWithError(("cannot play " + path).c_str());
                return;
            }
            lags.push_back(ms_since(start) - length_ms);
        }
    }
    state.counters["median_lag_ms"] = median(lags);
    state.counters["sounds"] = double(lags.size());
}
BENCHMARK(BM_SyncSoundLag)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WaveOutBlockLag(benchmark::State& state) {
    Rig rig;
    const std::vector<uint8_t> block(2756, 150);  // 0.25 s at 11025 Hz, mono, 8 bits
    std::vector<double> lags;
    for (auto _ : state) {
        for (int sound = 0; sound < 5; ++sound) {
            rig.audio->open(host::PcmFormat{11025, 8, 1});
            const auto start = Clock::now();
            for (uint32_t id = 1; id <= 2; ++id) rig.audio->write(id, block.data(), block.size());
            int done = 0;
            while (done < 2 && ms_since(start) < 5000) {
                rig.audio->poll();
                host::Message m;
                while (rig.queue.peek_message(m)) ++done;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            lags.push_back(ms_since(start) - 500);
            rig.audio->close();
        }
    }
    state.counters["median_lag_ms"] = median(lags);
}
BENCHMARK(BM_WaveOutBlockLag)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
