// PCX decoding without a window: the header, the 256-colour palette at the end
// of the file, and the run-length decoded rows handed to a callback one by one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "host/types.h"

namespace picture {

constexpr size_t pcx_header_bytes = 128;
constexpr size_t pcx_palette_bytes = 768;
constexpr uint8_t pcx_palette_marker = 12;
// The one-row offscreen buffer the rows are decoded into.
constexpr int row_buffer_pixels = 2048;

struct PcxHeader {
    uint8_t manufacturer = 0;
    uint8_t version = 0;
    uint8_t encoding = 0;
    uint8_t bits_per_pixel = 0;
    uint16_t x_min = 0;
    uint16_t y_min = 0;
    uint16_t x_max = 0;
    uint16_t y_max = 0;
    uint16_t horizontal_resolution = 0;
    uint16_t vertical_resolution = 0;
    uint8_t planes = 0;
    uint16_t bytes_per_line = 0;
    uint16_t palette_type = 0;

    int width() const { return int(x_max) + 1; }
    int height() const { return int(y_max) + 1; }
};

enum class PcxStatus : uint8_t {
    complete,     // every row decoded
    truncated,    // the data ended inside the image; the rows before it were delivered
    too_short,    // shorter than the header: nothing decoded
    unsupported,  // not one plane of 8 bits: nothing decoded
};

struct PcxDecodeResult {
    PcxStatus status = PcxStatus::too_short;
    PcxHeader header{};
    bool has_palette = false;
    int rows_delivered = 0;  // the last one may be partial when truncated
};

// Reads the header fields; false when fewer than 128 bytes are given.
bool read_pcx_header(const uint8_t* data, size_t size, PcxHeader& header);

// The 256-colour palette of a version 5 file whose byte at size - 769 is the
// marker 12; false (palette untouched) otherwise.
bool read_pcx_palette(const uint8_t* data, size_t size, const PcxHeader& header,
                      host::Rgb* palette256);

// One decoded row: y, the palette indices and their count. count is the
// picture width cut to the row buffer, or fewer for a row the data ended in.
using PcxRowSink = std::function<void(int y, const uint8_t* indices, int count)>;

// Decodes the image rows of a PCX file held in memory. `palette256` receives
// the file's palette when it has one (may be null). Never reads outside
// data[0, size) and never writes outside its row buffer.
PcxDecodeResult decode_pcx(const uint8_t* data, size_t size, const PcxRowSink& sink,
                           host::Rgb* palette256 = nullptr);

}  // namespace picture
