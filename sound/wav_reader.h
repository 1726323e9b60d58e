// RIFF/WAVE reading for the player, separate from the device: the format and
// the first "data" chunk of a file (read through a scratch buffer) or of an
// image in memory, and the piece sizes a file's data is streamed in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "host/files.h"

namespace sound {

struct WavFormat {
    uint16_t channels = 0;
    uint32_t rate_hz = 0;
    uint16_t bits = 0;
    bool operator==(const WavFormat&) const = default;
};

// Where a file's sound starts: the file is positioned at the first data byte.
struct WavFileData {
    WavFormat format;
    uint32_t length_bytes = 0;  // as the chunk header says; the file may be shorter
};

// Walks the chunks of an open file: "RIFF" at 0 and "fmt " at 12 (without
// regard to case), the format chunk, then chunk headers until "data" (after
// an odd-sized chunk, past its pad byte unless the file left it out: see
// host/riff.h). The format chunk and every skipped chunk must fit a buffer of
// `scratch_bytes`; a larger one, one cut short by the end of the file or a
// format chunk of fewer than 16 bytes ends the search. nullopt when nothing
// playable was found.
std::optional<WavFileData> find_wav_file_data(host::InputFile& file, uint8_t* scratch,
                                              size_t scratch_bytes);

// The sound of a RIFF/WAVE image in memory: the same walk, bounded by the
// image length; the data is cut to what the image holds.
struct WavImageData {
    WavFormat format;
    size_t offset = 0;
    size_t length_bytes = 0;
};
std::optional<WavImageData> find_wav_image_data(const uint8_t* image, size_t image_bytes);

// The next piece of a file's data, from the bytes remaining and the previous
// piece (the data length before the first): whole blocks of 65534 bytes, but
// when less than one block plus 256 bytes remains, 65278 first, so that the
// last piece is never shorter than 256 bytes.
uint32_t next_wav_piece(uint32_t remaining, uint32_t previous_piece);

}  // namespace sound
