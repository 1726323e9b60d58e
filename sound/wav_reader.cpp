#include "sound/wav_reader.h"

#include <cctype>

#include "sound/wave_player.h"

namespace sound {

namespace {

uint16_t u16_at(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t u32_at(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool same_id(const uint8_t* p, const char* id) {
    for (int i = 0; i < 4; ++i)
        if (std::toupper(p[i]) != std::toupper(static_cast<unsigned char>(id[i]))) return false;
    return true;
}

// Channels, rate and bits from a format chunk of at least 16 bytes (the tag,
// average rate and block align are not used).
WavFormat format_from_chunk(const uint8_t* chunk) {
    return WavFormat{u16_at(chunk + 2), u32_at(chunk + 4), u16_at(chunk + 14)};
}

constexpr size_t riff_bytes = 12;
constexpr size_t chunk_header_bytes = 8;
constexpr uint32_t shortest_format_chunk = 16;

}  // namespace

std::optional<WavFileData> find_wav_file_data(host::InputFile& file, uint8_t* scratch,
                                              size_t scratch_bytes) {
    uint8_t head[riff_bytes];
    if (file.read(head, riff_bytes) != riff_bytes || !same_id(head, "RIFF")) return std::nullopt;
    uint8_t chunk[chunk_header_bytes];
    if (file.read(chunk, chunk_header_bytes) != chunk_header_bytes || !same_id(chunk, "fmt "))
        return std::nullopt;
    const uint32_t format_bytes = u32_at(chunk + 4);
    // A format chunk shorter than its fields would leave them unread.
    if (format_bytes < shortest_format_chunk || format_bytes > scratch_bytes) return std::nullopt;
    if (file.read(scratch, format_bytes) != format_bytes) return std::nullopt;
    const WavFormat format = format_from_chunk(scratch);

    for (;;) {
        if (file.read(chunk, chunk_header_bytes) != chunk_header_bytes) return std::nullopt;
        const uint32_t length = u32_at(chunk + 4);
        if (same_id(chunk, "data")) return WavFileData{format, length};
        // Skipped chunks are read through the scratch buffer, so they must fit.
        if (length > scratch_bytes || file.read(scratch, length) != length) return std::nullopt;
    }
}

std::optional<WavImageData> find_wav_image_data(const uint8_t* image, size_t image_bytes) {
    if (image == nullptr || image_bytes < riff_bytes + chunk_header_bytes) return std::nullopt;
    if (!same_id(image, "RIFF") || !same_id(image + riff_bytes, "fmt ")) return std::nullopt;
    const uint32_t format_bytes = u32_at(image + 16);
    const size_t format_at = riff_bytes + chunk_header_bytes;
    if (format_bytes < shortest_format_chunk || format_bytes > image_bytes - format_at)
        return std::nullopt;
    const WavFormat format = format_from_chunk(image + format_at);

    size_t pos = format_at + format_bytes;
    while (image_bytes - pos >= chunk_header_bytes) {
        const uint32_t length = u32_at(image + pos + 4);
        const size_t body = pos + chunk_header_bytes;
        if (same_id(image + pos, "data")) {
            const size_t available = image_bytes - body;
            return WavImageData{format, body, length < available ? size_t(length) : available};
        }
        if (length > image_bytes - body) return std::nullopt;
        pos = body + length;
    }
    return std::nullopt;
}

uint32_t next_wav_piece(uint32_t remaining, uint32_t previous_piece) {
    constexpr uint32_t block = block_bytes;
    constexpr uint32_t shortest_last = 256;
    if (remaining > block && remaining < block + shortest_last) return block - shortest_last;
    if (remaining <= previous_piece && previous_piece <= block) return remaining;
    return block;
}

}  // namespace sound
