// Sample buffers for the generators: float mono samples in -1..1, resampling
// with libsamplerate, and the 8-bit 11025 Hz files the system reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace gen {

constexpr int kOutputRateHz = 11025;

struct Samples {
    int rate_hz = kOutputRateHz;
    std::vector<float> data;
};

// Band-limited rate conversion (sinc); the same input always gives the same output.
Samples resample(const Samples& in, int rate_hz);

// Removes leading and trailing samples quieter than `threshold`, keeping up to
// `keep_lead` / `keep_tail` samples of the quiet edge.
void trim_silence(Samples& s, float threshold, size_t keep_lead, size_t keep_tail);
// Linear fades over the first and last `length` samples (no clicks at the joins).
void fade_edges(Samples& s, size_t length);
// Scales so that the peak reaches `peak` (nothing for an all-zero buffer).
void normalise_peak(Samples& s, float peak);
void append_silence_ms(Samples& s, int ms);
void append(Samples& to, const Samples& from);
// Adds `from` into `to` at sample offset `at`, growing `to` as needed.
void mix_into(Samples& to, const Samples& from, size_t at, float gain);

// Unsigned 8-bit samples, 128 = silence, rounded and clipped.
std::vector<uint8_t> to_u8(const Samples& s);
// A 44-byte RIFF/WAVE header (PCM, 1 channel, 8 bits) followed by the data.
std::vector<uint8_t> wav8_image(const std::vector<uint8_t>& pcm, int rate_hz = kOutputRateHz);

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
bool write_text_file(const std::string& path, const std::string& text);
bool read_text_file(const std::string& path, std::string& out);

}  // namespace gen
