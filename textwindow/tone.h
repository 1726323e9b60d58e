// The looping square-wave tone that announces the Braille mode.
#pragma once
#include <cstdint>
#include <vector>

namespace textwindow {

constexpr uint32_t tone_rate_hz = 11025;

// A RIFF/WAVE image (44-byte header, 11025 Hz, mono, 8-bit) holding whole
// periods of a square wave, meant to be played looping. Empty for a frequency
// outside 1..11025 Hz, which has no period of at least one sample.
std::vector<uint8_t> build_tone_image(int frequency_hz);

}  // namespace textwindow
