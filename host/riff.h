// RIFF chunk walking shared by every reader of WAV data: identifiers, lengths
// and where the chunk after an odd-sized one starts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "host/audio.h"
#include "host/files.h"

namespace host::riff {

constexpr size_t chunk_header_bytes = 8;

inline uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Whether the four bytes at p spell `id` (four characters), without regard to
// the case of ASCII letters.
bool same_id(const uint8_t* p, std::string_view id);

// Whether four bytes can be a chunk identifier: printable ASCII.
bool is_chunk_id(const uint8_t* p);

// The bytes to skip after a chunk body of `body_length` before the next chunk
// header: RIFF pads an odd-sized body with one byte, but some writers leave
// the pad out. `after` holds the `available` bytes that follow the body (four
// are enough to decide). The pad is skipped unless an identifier starts right
// at the end of the body: a real pad byte is practically always 0, while the
// identifier one byte further on may be a misreading of an unpadded file.
size_t pad_after(uint64_t body_length, const uint8_t* after, size_t available);

// The same for a file: the offset of the chunk header that follows a body of
// `body_length` bytes ending at `body_end` (peeks at the bytes there).
uint64_t next_chunk_offset(InputFile& file, uint64_t body_end, uint64_t body_length);

// The sound of a RIFF/WAVE image for a player that takes any chunk layout:
// the first "fmt " chunk and the first "data" chunk after it. The data is cut
// to what the image holds. nullopt when the image has no such pair.
struct WaveSound {
    uint16_t format_tag = 0;  // 1 = PCM
    PcmFormat format;
    size_t data_offset = 0;
    size_t data_bytes = 0;
};
std::optional<WaveSound> find_wave_sound(const uint8_t* image, size_t image_bytes);

}  // namespace host::riff
