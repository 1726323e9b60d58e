#include "sound/wav_reader.h"

#include <cstdint>

#include "host/riff.h"
#include "sound/wave_player.h"

namespace sound {

namespace {

WavFormat format_of(const host::riff::WaveLayout& layout) {
    return WavFormat{layout.format.channels, layout.format.rate_hz, layout.format.bits};
}

// The player's tolerance: the format chunk first, at 12, with all its fields.
host::riff::WalkPolicy player_policy(uint64_t largest_chunk) {
    host::riff::WalkPolicy policy;
    policy.format_first = true;
    policy.max_chunk_bytes = largest_chunk;
    return policy;
}

}  // namespace

std::optional<WavFileData> find_wav_file_data(host::InputFile& file, uint8_t* /*scratch*/,
                                              size_t scratch_bytes) {
    const auto layout = host::riff::walk_wave(file, player_policy(scratch_bytes));
    if (!layout) return std::nullopt;
    return WavFileData{format_of(*layout), layout->data_declared};
}

std::optional<WavImageData> find_wav_image_data(const uint8_t* image, size_t image_bytes) {
    const auto layout = host::riff::walk_wave(image, image_bytes, player_policy(UINT64_MAX));
    if (!layout) return std::nullopt;
    return WavImageData{format_of(*layout), static_cast<size_t>(layout->data_offset),
                        static_cast<size_t>(layout->data_available)};
}

uint32_t next_wav_piece(uint32_t remaining, uint32_t previous_piece) {
    constexpr uint32_t block = block_bytes;
    constexpr uint32_t shortest_last = 256;
    if (remaining > block && remaining < block + shortest_last) return block - shortest_last;
    if (remaining <= previous_piece && previous_piece <= block) return remaining;
    return block;
}

}  // namespace sound
