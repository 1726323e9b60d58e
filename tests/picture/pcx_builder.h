// Builds small PCX files for the tests.
#pragma once
#include <cstdint>
#include <vector>

#include "host/types.h"

namespace testpcx {

struct PcxSpec {
    uint8_t version = 5;
    int width = 1;
    int height = 1;
    uint8_t planes = 1;
    uint8_t bits_per_pixel = 8;
    uint16_t bytes_per_line = 0;  // 0: the width
    std::vector<uint8_t> codes;
    std::vector<host::Rgb> palette;  // appended after the marker when not empty
    uint8_t marker = 12;
};

inline std::vector<uint8_t> build(const PcxSpec& s) {
    const size_t palette_bytes = s.palette.empty() ? 0 : 769;
    std::vector<uint8_t> f(128 + s.codes.size() + palette_bytes, 0);
    auto u16 = [&](size_t at, int v) {
        f[at] = static_cast<uint8_t>(v);
        f[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    f[0] = 10;
    f[1] = s.version;
    f[2] = 1;
    f[3] = s.bits_per_pixel;
    u16(8, s.width - 1);
    u16(10, s.height - 1);
    f[65] = s.planes;
    u16(66, s.bytes_per_line ? s.bytes_per_line : s.width);
    u16(68, 1);
    size_t at = 128;
    for (uint8_t c : s.codes) f[at++] = c;
    if (!s.palette.empty()) {
        f[at++] = s.marker;
        for (int i = 0; i < 256; ++i) {
            const host::Rgb c = i < int(s.palette.size()) ? s.palette[i] : host::Rgb{};
            f[at++] = c.red;
            f[at++] = c.green;
            f[at++] = c.blue;
        }
    }
    return f;
}

}  // namespace testpcx
