// Decoding a 320 x 200 PCX picture: to RGB, and decoded and drawn doubled
// onto a 640 x 480 client area as the pictures are shown; SDL2_image's PCX
// loader decoding the same bytes to RGB runs in the same program as the peer.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/common/canvas.h"
#include "picture/pcx.h"

namespace {

const std::vector<uint8_t>& picture_320() {
    static const std::vector<uint8_t> bytes = [] {
        std::ifstream in(std::string(ZIMBALOT_SOURCE_DIR) + "/tests/fixtures/picture/logo320.pcx",
                         std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

void BM_PcxDecodeToRgb(benchmark::State& state) {
    const std::vector<uint8_t>& file = picture_320();
    std::vector<uint8_t> rgb(320 * 200 * 3);
    host::Rgb palette[256];
    for (auto _ : state) {
        uint8_t* out = rgb.data();
        picture::decode_pcx(
            file.data(), file.size(),
            [&](int, const uint8_t* indices, int count) {
                // A local pointer: stores through uint8_t* could alias `out`.
                uint8_t* o = out;
                for (int i = 0; i < count; ++i, o += 3) {
                    const host::Rgb c = palette[indices[i]];
                    o[0] = c.red;
                    o[1] = c.green;
                    o[2] = c.blue;
                }
                out = o;
            },
            palette);
        benchmark::DoNotOptimize(rgb.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    if (rgb[0] == 0 && rgb[1] == 0) state.SkipWithError("decoded nothing");
}
BENCHMARK(BM_PcxDecodeToRgb);

void BM_SdlImagePcxDecodeToRgb(benchmark::State& state) {
    const std::vector<uint8_t>& file = picture_320();
    IMG_Init(0);
    for (auto _ : state) {
        SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
        SDL_Surface* decoded = IMG_Load_RW(rw, 1);
        if (!decoded) {
            state.SkipWithError(IMG_GetError());
            break;
        }
        SDL_Surface* rgb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGB24, 0);
        benchmark::DoNotOptimize(rgb->pixels);
        SDL_FreeSurface(rgb);
        SDL_FreeSurface(decoded);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_SdlImagePcxDecodeToRgb);

// What show_picture does per picture once the file is read: decode, and draw
// each row stretched to 640 x 2 at (0, 35 + 2y).
void BM_PcxDecodeAndDrawDoubled(benchmark::State& state) {
    const std::vector<uint8_t>& file = picture_320();
    host::common::Canvas canvas;
    canvas.resize(640, 480);
    host::Rgb palette[256];
    for (auto _ : state) {
        picture::decode_pcx(
            file.data(), file.size(),
            [&](int y, const uint8_t* indices, int count) {
                canvas.draw_pixel_row(0, 35 + 2 * y, indices, count, palette, 2 * count, 2);
            },
            palette);
        benchmark::DoNotOptimize(canvas.pixels());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_PcxDecodeAndDrawDoubled);

}  // namespace
