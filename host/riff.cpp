#include "host/riff.h"

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

std::optional<WaveSound> find_wave_sound(const uint8_t* image, size_t image_bytes) {
    constexpr size_t riff_bytes = 12;
    if (image == nullptr || image_bytes < riff_bytes || !same_id(image, "RIFF"))
        return std::nullopt;
    std::optional<WaveSound> sound;
    size_t pos = riff_bytes;
    while (pos <= image_bytes && image_bytes - pos >= chunk_header_bytes) {
        const uint32_t length = le32(image + pos + 4);
        const size_t body = pos + chunk_header_bytes;
        const size_t available = image_bytes - body;
        if (same_id(image + pos, "fmt ") && !sound && length >= 16 && available >= 16) {
            const uint8_t* f = image + body;
            sound = WaveSound{le16(f), PcmFormat{le32(f + 4), le16(f + 14), le16(f + 2)}, 0, 0};
        } else if (same_id(image + pos, "data") && sound) {
            sound->data_offset = body;
            sound->data_bytes = length < available ? size_t(length) : available;
            return sound;
        }
        if (length >= available) break;
        pos = body + length + pad_after(length, image + body + length, available - length);
    }
    return std::nullopt;
}

}  // namespace host::riff
