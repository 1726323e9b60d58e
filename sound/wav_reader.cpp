#include "sound/wav_reader.h"

#include "host/riff.h"
#include "sound/wave_player.h"

namespace sound {

namespace {

using host::riff::le16;
using host::riff::le32;
using host::riff::same_id;

// Channels, rate and bits from a format chunk of at least 16 bytes (the tag,
// average rate and block align are not used).
WavFormat format_from_chunk(const uint8_t* chunk) {
    return WavFormat{le16(chunk + 2), le32(chunk + 4), le16(chunk + 14)};
}

constexpr size_t riff_bytes = 12;
using host::riff::chunk_header_bytes;
constexpr uint32_t shortest_format_chunk = 16;

}  // namespace

std::optional<WavFileData> find_wav_file_data(host::InputFile& file, uint8_t* scratch,
                                              size_t scratch_bytes) {
    uint8_t head[riff_bytes];
    if (file.read(head, riff_bytes) != riff_bytes || !same_id(head, "RIFF")) return std::nullopt;
    uint8_t chunk[chunk_header_bytes];
    if (file.read(chunk, chunk_header_bytes) != chunk_header_bytes || !same_id(chunk, "fmt "))
        return std::nullopt;
    const uint32_t format_bytes = le32(chunk + 4);
    // A format chunk shorter than its fields would leave them unread.
    if (format_bytes < shortest_format_chunk || format_bytes > scratch_bytes) return std::nullopt;
    if (file.read(scratch, format_bytes) != format_bytes) return std::nullopt;
    const WavFormat format = format_from_chunk(scratch);

    uint64_t position = host::riff::next_chunk_offset(
        file, riff_bytes + chunk_header_bytes + format_bytes, format_bytes);
    for (;;) {
        if (!file.seek(position) || file.read(chunk, chunk_header_bytes) != chunk_header_bytes)
            return std::nullopt;
        const uint32_t length = le32(chunk + 4);
        if (same_id(chunk, "data")) return WavFileData{format, length};
        // Skipped chunks are read through the scratch buffer, so they must fit.
        if (length > scratch_bytes || file.read(scratch, length) != length) return std::nullopt;
        position =
            host::riff::next_chunk_offset(file, position + chunk_header_bytes + length, length);
    }
}

std::optional<WavImageData> find_wav_image_data(const uint8_t* image, size_t image_bytes) {
    if (image == nullptr || image_bytes < riff_bytes + chunk_header_bytes) return std::nullopt;
    if (!same_id(image, "RIFF") || !same_id(image + riff_bytes, "fmt ")) return std::nullopt;
    const uint32_t format_bytes = le32(image + 16);
    const size_t format_at = riff_bytes + chunk_header_bytes;
    if (format_bytes < shortest_format_chunk || format_bytes > image_bytes - format_at)
        return std::nullopt;
    const WavFormat format = format_from_chunk(image + format_at);

    const auto next_chunk = [&](size_t body_end, uint32_t length) {
        return body_end + host::riff::pad_after(length, image + body_end, image_bytes - body_end);
    };
    size_t pos = next_chunk(format_at + format_bytes, format_bytes);
    while (pos <= image_bytes && image_bytes - pos >= chunk_header_bytes) {
        const uint32_t length = le32(image + pos + 4);
        const size_t body = pos + chunk_header_bytes;
        if (same_id(image + pos, "data")) {
            const size_t available = image_bytes - body;
            return WavImageData{format, body, length < available ? size_t(length) : available};
        }
        if (length > image_bytes - body) return std::nullopt;
        pos = next_chunk(body + length, length);
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
