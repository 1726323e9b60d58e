#include "host/riff.h"

#include <algorithm>
#include <cstring>

namespace host::riff {

namespace {
uint8_t upper(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c;
}
}  // namespace

bool same_id(const uint8_t* p, std::string_view id) {
    for (size_t i = 0; i < 4; ++i)
        if (upper(p[i]) != upper(static_cast<uint8_t>(id[i]))) return false;
    return true;
}

bool is_chunk_id(const uint8_t* p) {
    for (size_t i = 0; i < 4; ++i)
        if (p[i] < 0x20 || p[i] > 0x7E) return false;
    return true;
}

void put_wav_header(uint8_t* header, const PcmFormat& format, uint32_t data_bytes) {
    const uint32_t block_align = uint32_t(format.channels) * (format.bits / 8u);
    const uint64_t riff_size = uint64_t(data_bytes) + (wav_header_bytes - 8);
    std::memcpy(header, "RIFF", 4);
    put_le32(header + 4, riff_size > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(riff_size));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put_le32(header + 16, 16);
    put_le16(header + 20, 1);  // PCM
    put_le16(header + 22, format.channels);
    put_le32(header + 24, format.rate_hz);
    put_le32(header + 28, format.rate_hz * block_align);
    put_le16(header + 32, static_cast<uint16_t>(block_align));
    put_le16(header + 34, format.bits);
    std::memcpy(header + 36, "data", 4);
    put_le32(header + 40, data_bytes);
}

size_t pad_after(uint64_t body_length, const uint8_t* after, size_t available) {
    if (body_length % 2 == 0) return 0;
    if (available >= 4 && is_chunk_id(after)) return 0;
    return 1;
}

uint64_t next_chunk_offset(InputFile& file, uint64_t body_end, uint64_t body_length) {
    if (body_length % 2 == 0) return body_end;
    uint8_t after[4] = {};
    const size_t got = file.seek(body_end) ? file.read(after, sizeof after) : 0;
    return body_end + pad_after(body_length, after, got);
}

size_t MemoryInput::read(uint8_t* buffer, size_t length) {
    const size_t n = std::min(length, length_ - position_);
    if (n > 0) std::memcpy(buffer, bytes_ + position_, n);
    position_ += n;
    return n;
}

bool MemoryInput::seek(uint64_t offset) {
    if (offset > length_) return false;
    position_ = static_cast<size_t>(offset);
    return true;
}

std::optional<WaveLayout> walk_wave(InputFile& file, const WalkPolicy& policy) {
    constexpr uint64_t riff_bytes = 12;
    const uint64_t size = file.size();
    uint8_t head[riff_bytes];
    if (!file.seek(0) || file.read(head, riff_bytes) != riff_bytes || !same_id(head, "RIFF"))
        return std::nullopt;
    WaveLayout layout;
    bool have_format = false;
    // Each step moves on by at least a chunk header, so the walk ends.
    for (uint64_t position = riff_bytes;;) {
        uint8_t chunk[chunk_header_bytes];
        if (!file.seek(position) || file.read(chunk, chunk_header_bytes) != chunk_header_bytes)
            return std::nullopt;
        const uint32_t length = le32(chunk + 4);
        const uint64_t body = position + chunk_header_bytes;
        const uint64_t remaining = size > body ? size - body : 0;
        const bool is_format = same_id(chunk, "fmt ");
        if (policy.format_first && position == riff_bytes &&
            (!is_format || length < policy.min_format_bytes))
            return std::nullopt;
        if (same_id(chunk, "data") && have_format) {
            layout.data_offset = body;
            layout.data_declared = length;
            layout.data_available = std::min<uint64_t>(length, remaining);
            if (!file.seek(body)) return std::nullopt;
            return layout;
        }
        if (length > remaining || length > policy.max_chunk_bytes) return std::nullopt;
        if (is_format && !have_format && length >= policy.min_format_bytes) {
            have_format = true;
            if (policy.read_format) {
                uint8_t f[16];
                if (length < sizeof f || file.read(f, sizeof f) != sizeof f) return std::nullopt;
                layout.format_tag = le16(f);
                layout.format = PcmFormat{le32(f + 4), le16(f + 14), le16(f + 2)};
                layout.byte_rate = le32(f + 8);
            }
        }
        position = next_chunk_offset(file, body + length, length);
    }
}

std::optional<WaveLayout> walk_wave(const uint8_t* image, size_t image_bytes,
                                    const WalkPolicy& policy) {
    if (image == nullptr) return std::nullopt;
    MemoryInput input(image, image_bytes);
    return walk_wave(input, policy);
}

std::optional<WaveSound> find_wave_sound(const uint8_t* image, size_t image_bytes) {
    const auto layout = walk_wave(image, image_bytes);
    if (!layout) return std::nullopt;
    return WaveSound{layout->format_tag, layout->format, static_cast<size_t>(layout->data_offset),
                     static_cast<size_t>(layout->data_available)};
}

}  // namespace host::riff
