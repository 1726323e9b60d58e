#include "picture/pcx.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace picture {

namespace {

uint16_t u16_at(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Run headers have both top bits set; their low six bits are the count.
constexpr uint8_t run_flag = 0xC0;
constexpr uint8_t run_count_mask = 0x3F;

}  // namespace

bool read_pcx_header(const uint8_t* data, size_t size, PcxHeader& header) {
    if (data == nullptr || size < pcx_header_bytes) return false;
    header.manufacturer = data[0];
    header.version = data[1];
    header.encoding = data[2];
    header.bits_per_pixel = data[3];
    header.x_min = u16_at(data + 4);
    header.y_min = u16_at(data + 6);
    header.x_max = u16_at(data + 8);
    header.y_max = u16_at(data + 10);
    header.horizontal_resolution = u16_at(data + 12);
    header.vertical_resolution = u16_at(data + 14);
    header.planes = data[65];
    header.bytes_per_line = u16_at(data + 66);
    header.palette_type = u16_at(data + 68);
    return true;
}

bool read_pcx_palette(const uint8_t* data, size_t size, const PcxHeader& header,
                      host::Rgb* palette256) {
    // A marker that would lie inside the header is no palette.
    if (header.version != 5 || size < pcx_header_bytes + 1 + pcx_palette_bytes) return false;
    const size_t marker = size - 1 - pcx_palette_bytes;
    if (data[marker] != pcx_palette_marker) return false;
    if (palette256 != nullptr) {
        const uint8_t* p = data + marker + 1;
        for (int i = 0; i < 256; ++i, p += 3) palette256[i] = host::Rgb{p[0], p[1], p[2]};
    }
    return true;
}

PcxDecodeResult decode_pcx(const uint8_t* data, size_t size, const PcxRowSink& sink,
                           host::Rgb* palette256) {
    PcxDecodeResult result;
    if (!read_pcx_header(data, size, result.header)) return result;
    const PcxHeader& h = result.header;
    // Only one plane of 8-bit indices is understood; reading anything else as
    // such would paint noise, so those files are refused whole.
    if (h.planes != 1 || h.bits_per_pixel != 8) {
        result.status = PcxStatus::unsupported;
        return result;
    }
    result.has_palette = read_pcx_palette(data, size, h, palette256);
    // With a palette the image data ends at its marker, so a truncated image
    // never paints palette bytes as pixels.
    const size_t end = result.has_palette ? size - 1 - pcx_palette_bytes : size;

    const int width = h.width();
    // Rows padded to an even byte count carry bytes_per_line codes; any other
    // value (zero, smaller, or beyond the row buffer) is taken as unpadded.
    int stride = width;
    if (h.bytes_per_line > width && h.bytes_per_line <= row_buffer_pixels)
        stride = h.bytes_per_line;
    // Wider pictures keep their first 2048 columns: the rest of each row is
    // decoded (to stay in step) but clipped, as drawing past a bitmap is.
    const int shown = std::min(width, row_buffer_pixels);

    std::array<uint8_t, row_buffer_pixels> row{};
    size_t pos = pcx_header_bytes;
    // The data ended inside row y: the columns decoded so far are still drawn.
    auto truncated = [&](int y, int x) {
        const int partial = std::min(x, shown);
        if (partial > 0) {
            sink(y, row.data(), partial);
            ++result.rows_delivered;
        }
        result.status = PcxStatus::truncated;
        return result;
    };
    for (int y = 0; y < h.height(); ++y) {
        int x = 0;
        while (x < stride) {
            if (pos >= end) return truncated(y, x);
            const uint8_t code = data[pos++];
            if ((code & run_flag) != run_flag) {
                if (x < row_buffer_pixels) row[x] = code;
                ++x;
                continue;
            }
            const int count = code & run_count_mask;
            if (pos >= end) return truncated(y, x);
            const uint8_t colour = data[pos++];
            // A run is drawn as a line from x to x + count inclusive, but that
            // last pixel is always painted over by the next code or lies past
            // what is copied (a run of 0 likewise), so count pixels suffice.
            if (x < row_buffer_pixels)
                std::memset(row.data() + x, colour, size_t(std::min(count, row_buffer_pixels - x)));
            x += count;
        }
        sink(y, row.data(), shown);
        ++result.rows_delivered;
    }
    result.status = PcxStatus::complete;
    return result;
}

}  // namespace picture
