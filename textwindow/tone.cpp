#include "textwindow/tone.h"

#include <algorithm>

#include "host/riff.h"

namespace textwindow {
namespace {

constexpr size_t header_bytes = host::riff::wav_header_bytes;

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
    host::riff::put_wav_header(image.data(), host::PcmFormat{tone_rate_hz, 8, 1}, data_length);
    std::copy_n(samples.begin(), data_length, image.begin() + header_bytes);
    return image;
}

}  // namespace textwindow
