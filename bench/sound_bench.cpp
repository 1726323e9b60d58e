// The shorten-speech pass over full 16-bit and 8-bit mono blocks of a
// speech-like periodic signal, in input bytes per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "sound/wave_player.h"

namespace {

std::vector<uint8_t> speech_like_block(int bits) {
    std::vector<uint8_t> out;
    const size_t samples = sound::block_bytes / (bits / 8);
    for (size_t i = 0; i < samples; ++i) {
        // A 110 Hz voice with two formant-like partials and a slow swell.
        const double t = 2 * M_PI * double(i) / 100.0;
        const double v =
            (0.5 + 0.5 * std::sin(double(i) / 3000.0)) *
            (9000 * std::sin(t) + 5000 * std::sin(3 * t + 0.4) + 2000 * std::sin(7 * t));
        if (bits == 16) {
            const auto s = static_cast<int16_t>(v);
            out.push_back(static_cast<uint8_t>(s & 0xFF));
            out.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        } else {
            out.push_back(static_cast<uint8_t>(128 + v / 256));
        }
    }
    return out;
}

void BM_ShortenPiece(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const uint32_t rate = static_cast<uint32_t>(state.range(1));
    const std::vector<uint8_t> block = speech_like_block(bits);
    std::vector<uint8_t> work(block.size());
    size_t kept = 0;
    for (auto _ : state) {
        std::memcpy(work.data(), block.data(), block.size());
        kept = sound::shorten_piece(work.data(), work.size(), static_cast<uint16_t>(bits), rate);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
    state.counters["kept_bytes"] = double(kept);
}
BENCHMARK(BM_ShortenPiece)->Args({16, 11025})->Args({8, 11025})->Args({16, 16000});

}  // namespace
