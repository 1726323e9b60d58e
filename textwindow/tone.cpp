#include "textwindow/tone.h"

#include <algorithm>
#include <cstring>

namespace textwindow {
namespace {

constexpr size_t header_bytes = 44;

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

std::vector<uint8_t> build_tone_image(int frequency_hz) {
    if (frequency_hz < 1 || frequency_hz > static_cast<int>(tone_rate_hz)) return {};
    const int64_t f = frequency_hz;
    const int64_t rate = tone_rate_hz;
    const int64_t period = rate / f;
    // One second of room; each period spills up to two samples into the next,
    // which the next period overwrites. The limit keeps the last spill inside.
    std::vector<uint8_t> samples(tone_rate_hz, 128);
    const int64_t limit = rate - period - static_cast<int64_t>(header_bytes);
    int64_t position = 0;
    int64_t k = 0;
    while (position <= limit) {
        const int64_t low = period / 2 + 1;
        const int64_t high = period - period / 2 + 1;
        std::fill_n(samples.begin() + position, low, uint8_t{96});
        std::fill_n(samples.begin() + position + low, high, uint8_t{160});
        position = k * rate / f;  // k runs 0, 0, 1, 2, ...: the first period is written twice
        ++k;
    }
    // A 1 Hz tone has no room for a period at all: an empty, silent image.
    const uint32_t data_length = static_cast<uint32_t>(std::max<int64_t>(0, position));
    if (data_length > 0) samples[data_length - 1] = 128;

    std::vector<uint8_t> image(header_bytes + data_length);
    uint8_t* h = image.data();
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, data_length + 36);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    put32(h + 16, 16);
    put16(h + 20, 1);  // PCM
    put16(h + 22, 1);  // mono
    put32(h + 24, tone_rate_hz);
    put32(h + 28, tone_rate_hz);  // bytes per second at 8 bits mono
    put16(h + 32, 1);             // block align
    put16(h + 34, 8);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, data_length);
    std::copy_n(samples.begin(), data_length, image.begin() + header_bytes);
    return image;
}

}  // namespace textwindow
