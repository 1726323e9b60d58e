// RIFF/WAV at the bottom of the system: little-endian fields, the chunk
// walking shared by every reader of WAV data (identifiers, lengths, where the
// chunk after an odd-sized one starts) and the one 44-byte header every
// writer of WAV data puts in front of its samples.
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
inline void put_le16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put_le32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The canonical header of PCM data: "RIFF", "WAVE", a 16-byte "fmt " chunk
// and the "data" chunk's header, 44 bytes in all.
constexpr size_t wav_header_bytes = 44;

// Writes that header for `data_bytes` of samples in `format` into
// header[0..44): byte rate and block align follow the format, and the RIFF
// size saturates at 0xFFFFFFFF, so an "unknown length" of all ones stays all
// ones in both fields.
void put_wav_header(uint8_t* header, const PcmFormat& format, uint32_t data_bytes);

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

// The one walk over RIFF/WAVE data. Each reader states its tolerance as a
// policy; the walk itself (identifiers without regard to case, pad bytes,
// bounds) is the same for all.
struct WalkPolicy {
    // "fmt " must be the first chunk, at 12. Otherwise the first usable format
    // chunk anywhere counts, and a "data" chunk before it is passed over.
    bool format_first = false;
    // A shorter format chunk is refused (format_first) or passed over.
    uint32_t min_format_bytes = 16;
    // Whether the format chunk's fields are read (a reader that only wants
    // the data's place leaves them).
    bool read_format = true;
    // A format chunk or a chunk skipped on the way that is longer than this
    // ends the walk (a reader that reads them through a buffer of its own).
    uint64_t max_chunk_bytes = UINT64_MAX;
};

struct WaveLayout {
    uint16_t format_tag = 0;  // 1 = PCM; the fields are 0 when not read
    PcmFormat format{0, 0, 0};
    uint32_t byte_rate = 0;
    uint64_t data_offset = 0;
    uint32_t data_declared = 0;   // the length the "data" chunk's header says
    uint64_t data_available = 0;  // what the file holds of it
};

// "RIFF" at 0, then the chunks from 12 up to the first "data" chunk after a
// format chunk. nullopt when there is no such pair, or when a chunk on the
// way claims more bytes than follow it (or than the policy allows). The file
// is left at the first data byte.
std::optional<WaveLayout> walk_wave(InputFile& file, const WalkPolicy& policy = {});
std::optional<WaveLayout> walk_wave(const uint8_t* image, size_t image_bytes,
                                    const WalkPolicy& policy = {});

// An InputFile over bytes in memory (images, tests).
class MemoryInput : public InputFile {
public:
    MemoryInput(const uint8_t* bytes, size_t length) : bytes_(bytes), length_(length) {}
    size_t read(uint8_t* buffer, size_t length) override;
    bool seek(uint64_t offset) override;
    uint64_t size() const override { return length_; }

private:
    const uint8_t* bytes_;
    size_t length_;
    size_t position_ = 0;
};

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
