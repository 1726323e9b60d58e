#include "host/common/canvas.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>

#include "host/common/typeface.h"

namespace host::common {
namespace {

uint32_t pack(Rgb c) {
    return 0xFF000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
}

}  // namespace

// A face at one size with its glyphs rendered once per byte, so drawing
// never allocates after a character's first use.
struct Canvas::Font {
    explicit Font(std::unique_ptr<Typeface> f) : face(std::move(f)), metrics(face->metrics()) {}
    std::unique_ptr<Typeface> face;
    FontMetrics metrics;
    std::array<Glyph, 256> glyphs;
    std::array<bool, 256> ready{};

    const Glyph& glyph(uint8_t byte) {
        if (!ready[byte]) {
            glyphs[byte] = face->render(byte);
            ready[byte] = true;
        }
        return glyphs[byte];
    }
};

Canvas::Canvas() {
    fonts_[system_fixed_font] = std::make_unique<Font>(open_system_typeface());
}

Canvas::~Canvas() = default;

Canvas::Font* Canvas::font(FontId id) const {
    auto it = fonts_.find(id);
    if (it == fonts_.end()) it = fonts_.find(system_fixed_font);
    return it->second.get();
}

void Canvas::resize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == width_ && height == height_) return;
    std::vector<uint32_t> next(static_cast<size_t>(width) * height, 0xFF000000u);
    for (int y = 0; y < std::min(height, height_); ++y)
        std::memcpy(&next[size_t(y) * width], &pixels_[size_t(y) * width_],
                    sizeof(uint32_t) * std::min(width, width_));
    pixels_.swap(next);
    width_ = width;
    height_ = height;
    dirty = true;
}

Rgb Canvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const uint32_t p = pixels_[size_t(y) * width_ + x];
    return Rgb{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
}

FontId Canvas::create_font(std::string_view face, int height, int width, int weight) {
    std::unique_ptr<Typeface> typeface = open_typeface(face, height, width, weight);
    if (!typeface) return system_fixed_font;
    const FontId id = next_font_++;
    fonts_[id] = std::make_unique<Font>(std::move(typeface));
    return id;
}

void Canvas::delete_font(FontId id) {
    if (id != system_fixed_font) fonts_.erase(id);
}

FontMetrics Canvas::font_metrics(FontId id) const {
    return font(id)->metrics;
}

void Canvas::draw_text(FontId id, int x, int y, std::string_view text, Rgb fg, Rgb bg) {
    Font* f = font(id);
    const int h = f->metrics.height;
    const uint32_t bg_pixel = pack(bg);
    ++text_runs;
    dirty = true;
    for (char ch : text) {
        const Glyph& g = f->glyph(static_cast<uint8_t>(ch));
        for (int gy = 0; gy < h; ++gy) {
            const int py = y + gy;
            if (py < 0 || py >= height_) continue;
            uint32_t* row = &pixels_[size_t(py) * width_];
            const uint8_t* alpha = &g.alpha[size_t(gy) * g.width];
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = x + gx;
                if (px < 0 || px >= width_) continue;
                const unsigned a = alpha[gx];
                if (a == 0) {
                    row[px] = bg_pixel;
                } else {
                    const auto mix = [a](uint8_t f8, uint8_t b8) {
                        return uint32_t((f8 * a + b8 * (255 - a) + 127) / 255);
                    };
                    row[px] = 0xFF000000u | (mix(fg.red, bg.red) << 16) |
                              (mix(fg.green, bg.green) << 8) | mix(fg.blue, bg.blue);
                }
            }
        }
        x += g.width;
    }
}

void Canvas::draw_pixel_row(int x, int y, const uint8_t* indices, int count, const Rgb* palette,
                            int dest_width, int dest_height) {
    if (count <= 0 || dest_width <= 0 || dest_height <= 0) return;
    dirty = true;
    for (int dy = 0; dy < dest_height; ++dy) {
        const int py = y + dy;
        if (py < 0 || py >= height_) continue;
        uint32_t* row = &pixels_[size_t(py) * width_];
        for (int dx = 0; dx < dest_width; ++dx) {
            const int px = x + dx;
            if (px < 0 || px >= width_) continue;
            const int src = static_cast<int>(int64_t(dx) * count / dest_width);
            row[px] = pack(palette[indices[src]]);
        }
    }
}

void Canvas::copy_rect(const Rect& source, int dx, int dy) {
    Rect s{std::max(0, source.left), std::max(0, source.top), std::min(width_, source.right),
           std::min(height_, source.bottom)};
    if (s.empty()) return;
    dirty = true;
    std::vector<uint32_t> copy(static_cast<size_t>(s.width()) * s.height());
    for (int y = s.top; y < s.bottom; ++y)
        std::memcpy(&copy[size_t(y - s.top) * s.width()], &pixels_[size_t(y) * width_ + s.left],
                    sizeof(uint32_t) * s.width());
    for (int y = 0; y < s.height(); ++y) {
        const int py = s.top + y + dy;
        if (py < 0 || py >= height_) continue;
        for (int x = 0; x < s.width(); ++x) {
            const int px = s.left + x + dx;
            if (px >= 0 && px < width_)
                pixels_[size_t(py) * width_ + px] = copy[size_t(y) * s.width() + x];
        }
    }
}

void Canvas::fill_rect(const Rect& area, Rgb colour) {
    const uint32_t p = pack(colour);
    dirty = true;
    for (int y = std::max(0, area.top); y < std::min(height_, area.bottom); ++y)
        for (int x = std::max(0, area.left); x < std::min(width_, area.right); ++x)
            pixels_[size_t(y) * width_ + x] = p;
}

bool Canvas::capture_offscreen(const Rect& area) {
    if (area.empty() || area.width() > 16384 || area.height() > 16384) return false;
    offscreen_width_ = area.width();
    offscreen_height_ = area.height();
    offscreen_.assign(size_t(offscreen_width_) * offscreen_height_, 0xFF000000u);
    for (int y = 0; y < offscreen_height_; ++y)
        for (int x = 0; x < offscreen_width_; ++x) {
            const int sx = area.left + x;
            const int sy = area.top + y;
            if (sx >= 0 && sy >= 0 && sx < width_ && sy < height_)
                offscreen_[size_t(y) * offscreen_width_ + x] = pixels_[size_t(sy) * width_ + sx];
        }
    return true;
}

void Canvas::stretch_offscreen(const Rect& source, const Rect& dest) {
    if (offscreen_.empty() || source.empty() || dest.empty()) return;
    dirty = true;
    for (int y = std::max(0, dest.top); y < std::min(height_, dest.bottom); ++y) {
        const int sy = source.top + int(int64_t(y - dest.top) * source.height() / dest.height());
        for (int x = std::max(0, dest.left); x < std::min(width_, dest.right); ++x) {
            const int sx =
                source.left + int(int64_t(x - dest.left) * source.width() / dest.width());
            uint32_t p = 0xFF000000u;
            if (sx >= 0 && sy >= 0 && sx < offscreen_width_ && sy < offscreen_height_)
                p = offscreen_[size_t(sy) * offscreen_width_ + sx];
            pixels_[size_t(y) * width_ + x] = p;
        }
    }
}

void Canvas::release_offscreen() {
    offscreen_.clear();
    offscreen_.shrink_to_fit();
    offscreen_width_ = offscreen_height_ = 0;
}

bool Canvas::save_png(const std::string& path) const {
    if (width_ <= 0 || height_ <= 0) return false;
    return write_png(pixels_.data(), width_, height_, path);
}

}  // namespace host::common
