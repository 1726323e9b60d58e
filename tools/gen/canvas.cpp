#include "tools/gen/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace gen {

Font::~Font() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool Font::open(const std::string& path) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return false;
    library_ = lib;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) return false;
    face_ = face;
    return true;
}

Canvas::Canvas(int width, int height, Rgb background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), background) {}

void Canvas::blend(int x, int y, Rgb colour, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
    // Coverage in eighths keeps the number of distinct colours small.
    const double a = std::round(std::min(alpha, 1.0) * 8.0) / 8.0;
    if (a <= 0) return;
    Rgb& p = pixels_[static_cast<size_t>(y * width_ + x)];
    auto mix = [a](uint8_t from, uint8_t to) {
        return static_cast<uint8_t>(std::lround(from + (to - from) * a));
    };
    p = Rgb{mix(p.r, colour.r), mix(p.g, colour.g), mix(p.b, colour.b)};
}

template <typename Inside>
void Canvas::cover(double x0, double y0, double x1, double y1, Rgb colour, Inside inside) {
    const int xa = std::max(0, static_cast<int>(std::floor(x0)));
    const int ya = std::max(0, static_cast<int>(std::floor(y0)));
    const int xb = std::min(width_ - 1, static_cast<int>(std::ceil(x1)));
    const int yb = std::min(height_ - 1, static_cast<int>(std::ceil(y1)));
    for (int y = ya; y <= yb; ++y)
        for (int x = xa; x <= xb; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) ++hits;
            blend(x, y, colour, hits / 16.0);
        }
}

void Canvas::fill_rect(int x, int y, int w, int h, Rgb colour) {
    for (int yy = std::max(0, y); yy < std::min(height_, y + h); ++yy)
        for (int xx = std::max(0, x); xx < std::min(width_, x + w); ++xx)
            pixels_[static_cast<size_t>(yy * width_ + xx)] = colour;
}

void Canvas::frame_rect(int x, int y, int w, int h, int t, Rgb colour) {
    fill_rect(x, y, w, t, colour);
    fill_rect(x, y + h - t, w, t, colour);
    fill_rect(x, y, t, h, colour);
    fill_rect(x + w - t, y, t, h, colour);
}

void Canvas::fill_circle(double cx, double cy, double r, Rgb colour) {
    fill_ellipse(cx, cy, r, r, colour);
}

void Canvas::ring(double cx, double cy, double r, double t, Rgb colour) {
    cover(cx - r, cy - r, cx + r, cy + r, colour, [&](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return d <= r && d >= r - t;
    });
}

void Canvas::fill_ellipse(double cx, double cy, double rx, double ry, Rgb colour) {
    cover(cx - rx, cy - ry, cx + rx, cy + ry, colour, [&](double x, double y) {
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    });
}

void Canvas::fill_polygon(const std::vector<Point>& pts, Rgb colour) {
    if (pts.size() < 3) return;
    double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
    for (const Point& p : pts) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    cover(x0, y0, x1, y1, colour, [&](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Point& a = pts[i];
            const Point& b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    });
}

void Canvas::line(Point a, Point b, double t, Rgb colour) {
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    if (len <= 0) return fill_circle(a.x, a.y, t / 2, colour);
    const double nx = -(b.y - a.y) / len * t / 2, ny = (b.x - a.x) / len * t / 2;
    fill_polygon(
        {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}},
        colour);
}

void Canvas::star(double cx, double cy, double outer, double inner, Rgb colour) {
    std::vector<Point> pts;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        pts.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    fill_polygon(pts, colour);
}

namespace {

std::vector<uint32_t> decode_utf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t extra = 0;
        if (c >= 0xF0)
            cp = c & 0x07, extra = 3;
        else if (c >= 0xE0)
            cp = c & 0x0F, extra = 2;
        else if (c >= 0xC0)
            cp = c & 0x1F, extra = 1;
        ++i;
        for (size_t k = 0; k < extra && i < s.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        out.push_back(cp);
    }
    return out;
}

}  // namespace

void Canvas::text_centred(Font& font, const std::string& utf8, int size, int cx, int cy, Rgb colour,
                          int max_width) {
    if (!font.is_open()) return;
    FT_Face face = static_cast<FT_Face>(font.face_);
    const std::vector<uint32_t> cps = decode_utf8(utf8);
    auto measure = [&](int px, int& w, int& top, int& bottom) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px));
        w = 0, top = 0, bottom = 0;
        for (uint32_t cp : cps) {
            if (FT_Load_Char(face, cp, FT_LOAD_DEFAULT) != 0) continue;
            w += static_cast<int>(face->glyph->advance.x >> 6);
            const FT_Glyph_Metrics& m = face->glyph->metrics;
            top = std::max(top, static_cast<int>(m.horiBearingY >> 6));
            bottom = std::min(bottom, static_cast<int>((m.horiBearingY - m.height) >> 6));
        }
    };
    int w = 0, top = 0, bottom = 0;
    measure(size, w, top, bottom);
    while (max_width > 0 && w > max_width && size > 6) measure(--size, w, top, bottom);
    // Centre the ink box vertically, the advance box horizontally.
    int pen_x = cx - w / 2;
    const int baseline = cy + (top + bottom) / 2;
    for (uint32_t cp : cps) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                const uint8_t a = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col];
                blend(pen_x + g->bitmap_left + static_cast<int>(col),
                      baseline - g->bitmap_top + static_cast<int>(row), colour, a / 255.0);
            }
        pen_x += static_cast<int>(g->advance.x >> 6);
    }
}

void Canvas::to_indexed(std::vector<uint8_t>& indices, std::vector<Rgb>& palette) const {
    auto key = [](Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; };
    std::map<uint32_t, size_t> counts;
    for (const Rgb& p : pixels_) ++counts[key(p)];
    std::vector<std::pair<uint32_t, size_t>> order(counts.begin(), counts.end());
    // Most used first; ties by colour value, so the result never depends on
    // anything but the pixels.
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (order.size() > 256) order.resize(256);
    palette.clear();
    std::map<uint32_t, uint8_t> index;
    for (const auto& [colour, count] : order) {
        index[colour] = static_cast<uint8_t>(palette.size());
        palette.push_back(Rgb{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                              static_cast<uint8_t>(colour)});
    }
    indices.resize(pixels_.size());
    for (size_t i = 0; i < pixels_.size(); ++i) {
        const auto hit = index.find(key(pixels_[i]));
        if (hit != index.end()) {
            indices[i] = hit->second;
            continue;
        }
        const Rgb p = pixels_[i];
        int best = 0;
        long best_distance = -1;
        for (size_t k = 0; k < palette.size(); ++k) {
            const long dr = p.r - palette[k].r, dg = p.g - palette[k].g, db = p.b - palette[k].b;
            const long d = dr * dr + dg * dg + db * db;
            if (best_distance < 0 || d < best_distance)
                best_distance = d, best = static_cast<int>(k);
        }
        indices[i] = static_cast<uint8_t>(best);
    }
    palette.resize(256, Rgb{});
}

std::vector<uint8_t> encode_pcx(int width, int height, const std::vector<uint8_t>& indices,
                                const std::vector<Rgb>& palette) {
    std::vector<uint8_t> out(128, 0);
    auto put16 = [&](size_t at, int v) {
        out[at] = static_cast<uint8_t>(v);
        out[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    out[0] = 10;  // manufacturer
    out[1] = 5;   // version: a 256-colour palette follows the image
    out[2] = 1;   // run-length encoding
    out[3] = 8;   // bits per pixel
    put16(8, width - 1);
    put16(10, height - 1);
    put16(12, width);
    put16(14, height);
    out[65] = 1;  // planes
    put16(66, width + (width & 1));
    put16(68, 1);  // colour palette
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &indices[static_cast<size_t>(y * width)];
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 63 && row[x + run] == row[x]) ++run;
            if (run > 1 || row[x] >= 192) out.push_back(static_cast<uint8_t>(192 | run));
            out.push_back(row[x]);
            x += run;
        }
        if (width & 1) out.push_back(0);  // rows are padded to an even byte count
    }
    out.push_back(12);
    for (int i = 0; i < 256; ++i) {
        const Rgb c =
            i < static_cast<int>(palette.size()) ? palette[static_cast<size_t>(i)] : Rgb{};
        out.push_back(c.r);
        out.push_back(c.g);
        out.push_back(c.b);
    }
    return out;
}

uint8_t braille_dots(char letter) {
    // Dots 1-2-3 down the left column, 4-5-6 down the right.
    static const uint8_t kCells[26] = {0x01, 0x03, 0x09, 0x19, 0x11, 0x0B, 0x1B, 0x13, 0x0A,
                                       0x1A, 0x05, 0x07, 0x0D, 0x1D, 0x15, 0x0F, 0x1F, 0x17,
                                       0x0E, 0x1E, 0x25, 0x27, 0x3A, 0x2D, 0x3D, 0x35};
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'z') return 0;
    return kCells[letter - 'a'];
}

}  // namespace gen
