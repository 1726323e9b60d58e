// RIFF/WAVE images in memory on arbitrary bytes: the data found lies inside
// the image (for the player and for the desktop's lenient reader), and
// shortening it at both rate settings stays inside the piece.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/riff.h"
#include "sound/wav_reader.h"
#include "sound/wave_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto any = host::riff::find_wave_sound(data, size))
        if (any->data_offset > size || any->data_bytes > size - any->data_offset) std::abort();
    const auto found = sound::find_wav_image_data(data, size);
    if (!found) return 0;
    if (found->offset > size || found->length_bytes > size - found->offset) std::abort();
    const uint8_t* sound_data = data + found->offset;
    for (size_t at = 0; at < found->length_bytes; at += sound::block_bytes) {
        const size_t piece = std::min(found->length_bytes - at, sound::block_bytes);
        for (uint32_t rate : {found->format.rate_hz, 11025u}) {
            std::vector<uint8_t> copy(sound_data + at, sound_data + at + piece);
            const size_t n =
                sound::shorten_piece(copy.data(), copy.size(), found->format.bits, rate);
            if (n > piece) std::abort();
        }
    }
    return 0;
}
