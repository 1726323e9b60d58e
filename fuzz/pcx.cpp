// The PCX decoder on arbitrary bytes: every row it hands out lies inside the
// picture and the row buffer.
#include "picture/pcx.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    host::Rgb palette[256];
    unsigned sum = 0;
    int last_y = -1;
    const picture::PcxDecodeResult result = picture::decode_pcx(
        data, size,
        [&](int y, const uint8_t* indices, int count) {
            if (y != last_y + 1 || count < 1 || count > picture::row_buffer_pixels) std::abort();
            last_y = y;
            for (int i = 0; i < count; ++i) sum += indices[i];
        },
        palette);
    if (result.rows_delivered != last_y + 1) std::abort();
    if (result.rows_delivered > result.header.height()) std::abort();
    if (sum == 0xFFFFFFFFu) return 1;  // keeps the reads
    return 0;
}
