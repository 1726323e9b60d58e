// A small drawing surface for the pictures: true-colour drawing (shapes and
// anti-aliased text through FreeType), reduced to 256 colours when written.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gen {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Point {
    double x = 0, y = 0;
};

class Font {
public:
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool open(const std::string& path);
    bool is_open() const { return face_ != nullptr; }

private:
    friend class Canvas;
    void* library_ = nullptr;
    void* face_ = nullptr;
};

class Canvas {
public:
    Canvas(int width, int height, Rgb background);
    int width() const { return width_; }
    int height() const { return height_; }

    void fill_rect(int x, int y, int w, int h, Rgb colour);
    void frame_rect(int x, int y, int w, int h, int thickness, Rgb colour);
    void fill_circle(double cx, double cy, double radius, Rgb colour);
    void ring(double cx, double cy, double radius, double thickness, Rgb colour);
    void fill_ellipse(double cx, double cy, double rx, double ry, Rgb colour);
    // Even-odd filled polygon.
    void fill_polygon(const std::vector<Point>& points, Rgb colour);
    void line(Point a, Point b, double thickness, Rgb colour);
    void star(double cx, double cy, double outer, double inner, Rgb colour);

    // UTF-8 text of `pixel_size`, centred on (cx, baseline-independent cy).
    // The size shrinks until the text fits in `max_width` (when > 0).
    void text_centred(Font& font, const std::string& utf8, int pixel_size, int cx, int cy,
                      Rgb colour, int max_width = 0);

    Rgb at(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

    // Indexed image and palette (at most 256 colours; rarer colours are
    // mapped to the nearest kept one).
    void to_indexed(std::vector<uint8_t>& indices, std::vector<Rgb>& palette) const;

private:
    void blend(int x, int y, Rgb colour, double alpha);
    // Anti-aliased coverage by 4x4 supersampling of an inside test.
    template <typename Inside>
    void cover(double x0, double y0, double x1, double y1, Rgb colour, Inside inside);

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// PCX version 5, 8 bits, one plane, run-length encoded rows, the 256-colour
// palette after the marker 12 at the end.
std::vector<uint8_t> encode_pcx(int width, int height, const std::vector<uint8_t>& indices,
                                const std::vector<Rgb>& palette);

// The six dots of a Braille cell for a letter a-z (bit 0 = dot 1 ... bit 5 = dot 6).
uint8_t braille_dots(char letter);

}  // namespace gen
