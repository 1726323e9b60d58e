// How the canvas gets its letters and writes its pictures. Two
// implementations are linked by choice: typeface_ttf.cpp (fontconfig,
// SDL_ttf, SDL_image: the program and the tests) and typeface_plain.cpp (the
// metrics only, for a program that draws nothing and so need not load the
// font libraries).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/window.h"

namespace host::common {

// One character's coverage: `width` x the font's height, row by row.
struct Glyph {
    int width = 0;
    std::vector<uint8_t> alpha;
};

// A face at one cell size.
class Typeface {
public:
    virtual ~Typeface() = default;
    virtual FontMetrics metrics() const = 0;
    // The glyph of one Windows-1252 byte (control bytes draw as a blank).
    virtual Glyph render(uint8_t byte) = 0;
};

// The platform's fixed system font: 8 x 16 cells. Never null.
std::unique_ptr<Typeface> open_system_typeface();

// A face by its Windows name at a cell height and average width (0: the
// face's own); weight 600 and more is bold. Null when there is none.
std::unique_ptr<Typeface> open_typeface(std::string_view face, int height, int width, int weight);

// Writes 32-bit 0xAARRGGBB pixels as a PNG file; false when it cannot.
bool write_png(const uint32_t* pixels, int width, int height, const std::string& path);

}  // namespace host::common
