// The client area as a 32-bit pixel buffer with GDI-like drawing, shared by
// the desktop and headless backends so that both draw the same pixels.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/window.h"

namespace host::common {

class Canvas {
public:
    Canvas();
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Keeps the top-left content; new pixels are black.
    void resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    const uint32_t* pixels() const { return pixels_.data(); }
    Rgb pixel(int x, int y) const;

    FontId create_font(std::string_view face, int height, int width, int weight);
    void delete_font(FontId font);
    FontMetrics font_metrics(FontId font) const;

    void draw_text(FontId font, int x, int y, std::string_view text, Rgb fg, Rgb bg);
    void draw_pixel_row(int x, int y, const uint8_t* indices, int count, const Rgb* palette,
                        int dest_width, int dest_height);
    void copy_rect(const Rect& source, int dx, int dy);
    void fill_rect(const Rect& area, Rgb colour);
    bool capture_offscreen(const Rect& area);
    void stretch_offscreen(const Rect& source, const Rect& dest);
    void release_offscreen();
    bool save_png(const std::string& path) const;

    // Set by every drawing call; the desktop backend clears it when it presents.
    bool dirty = true;
    uint64_t text_runs = 0;

    struct Font;

private:
    Font* font(FontId id) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
    std::vector<uint32_t> offscreen_;
    int offscreen_width_ = 0;
    int offscreen_height_ = 0;
    std::map<FontId, std::unique_ptr<Font>> fonts_;
    FontId next_font_ = 1;
};

}  // namespace host::common
