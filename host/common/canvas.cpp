#include "host/common/canvas.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>

#include "host/text.h"

namespace host::common {
namespace {

uint32_t pack(Rgb c) { return 0xFF000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue; }

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Windows faces the family uses, and the fontconfig family that stands in for
// each with the same metrics or at least the same pitch.
std::string fallback_family(std::string_view face) {
    const std::string f = lower(face);
    if (f == "arial" || f == "helvetica") return "Liberation Sans";
    if (f == "times new roman") return "Liberation Serif";
    if (f == "courier new" || f == "courier") return "Liberation Mono";
    if (f.find("console") != std::string::npos || f.find("mono") != std::string::npos ||
        f == "fixedsys" || f == "terminal" || f == "consolas")
        return "DejaVu Sans Mono";
    return "DejaVu Sans";
}

std::string match_family(const std::string& family, int weight, std::string* matched_family) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!pattern) return {};
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* path = nullptr;
        FcChar8* fam = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
        if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam && matched_family)
            *matched_family = reinterpret_cast<const char*>(fam);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

struct TtfLibrary {
    TtfLibrary() { ok = TTF_Init() == 0; }
    bool ok = false;
};

TtfLibrary& ttf() {
    static TtfLibrary library;
    return library;
}

}  // namespace

std::string find_font_file(std::string_view face, int weight) {
    std::string family;
    std::string file = match_family(std::string(face), weight, &family);
    if (!file.empty() && lower(family) == lower(face)) return file;
    // Not installed under its own name: take the stand-in.
    std::string fallback = match_family(fallback_family(face), weight, nullptr);
    return fallback.empty() ? file : fallback;
}

// A font at one size: glyph masks rendered once per byte, scaled to the
// requested average width, so drawing never allocates.
struct Canvas::Font {
    TTF_Font* ttf = nullptr;
    FontMetrics metrics;
    double x_scale = 1.0;
    struct Glyph {
        bool ready = false;
        int width = 0;
        std::vector<uint8_t> alpha;  // width x metrics.height
    };
    std::array<Glyph, 256> glyphs;

    ~Font() {
        if (ttf) TTF_CloseFont(ttf);
    }

    const Glyph& glyph(uint8_t byte) {
        Glyph& g = glyphs[byte];
        if (g.ready) return g;
        g.ready = true;
        const int h = metrics.height;
        std::string utf8 = byte < 32 ? std::string(" ") : cp1252_to_utf8(std::string(1, char(byte)));
        int natural_w = 0;
        SDL_Surface* surface = nullptr;
        if (ttf) {
            SDL_Color white{255, 255, 255, 255};
            surface = TTF_RenderUTF8_Blended(ttf, utf8.c_str(), white);
        }
        if (surface) natural_w = surface->w;
        g.width = std::max(1, static_cast<int>(std::lround(natural_w * x_scale)));
        if (metrics.average_width > 0 && fixed_pitch) g.width = metrics.average_width;
        g.alpha.assign(static_cast<size_t>(g.width) * h, 0);
        if (surface) {
            SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
            SDL_FreeSurface(surface);
            if (argb) {
                SDL_LockSurface(argb);
                const int src_h = std::min(argb->h, h);
                for (int y = 0; y < src_h; ++y) {
                    const uint32_t* row = reinterpret_cast<const uint32_t*>(
                        static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
                    for (int x = 0; x < g.width; ++x) {
                        // Box-filter the source columns that fall in this one.
                        const double s0 = x * double(argb->w) / g.width;
                        const double s1 = (x + 1) * double(argb->w) / g.width;
                        int a0 = static_cast<int>(s0);
                        int a1 = std::max(a0 + 1, static_cast<int>(std::ceil(s1)));
                        a1 = std::min(a1, argb->w);
                        unsigned sum = 0;
                        for (int sx = a0; sx < a1; ++sx) sum += row[sx] >> 24;
                        g.alpha[size_t(y) * g.width + x] =
                            a1 > a0 ? static_cast<uint8_t>(sum / unsigned(a1 - a0)) : 0;
                    }
                }
                SDL_UnlockSurface(argb);
                SDL_FreeSurface(argb);
            }
        }
        return g;
    }

    bool fixed_pitch = false;
};

Canvas::Canvas() {
    // The fixed system font: a monospace face, 16 pixels high, 8 wide.
    auto font = std::make_unique<Font>();
    if (ttf().ok) {
        const std::string file = find_font_file("Fixedsys", 400);
        if (!file.empty()) font->ttf = TTF_OpenFont(file.c_str(), 13);
    }
    font->metrics = FontMetrics{8, 16, 0, 13, 0};
    font->fixed_pitch = true;
    if (font->ttf) {
        int natural = 0;
        TTF_GlyphMetrics(font->ttf, 'x', nullptr, nullptr, nullptr, nullptr, &natural);
        font->x_scale = natural > 0 ? 8.0 / natural : 1.0;
    }
    fonts_[system_fixed_font] = std::move(font);
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
    if (!ttf().ok || height <= 0 || height > 2000 || width < 0 || width > 2000) return 0;
    const std::string file = find_font_file(face, weight);
    if (file.empty()) return 0;
    auto font = std::make_unique<Font>();
    // Find the point size whose line height fills the requested cell height.
    int points = height;
    TTF_Font* ttf_font = TTF_OpenFont(file.c_str(), points);
    if (!ttf_font) return 0;
    const int natural_height = std::max(1, TTF_FontHeight(ttf_font));
    if (natural_height != height) {
        TTF_CloseFont(ttf_font);
        points = std::max(1, static_cast<int>(std::floor(double(height) * height / natural_height)));
        ttf_font = TTF_OpenFont(file.c_str(), points);
        while (ttf_font && TTF_FontHeight(ttf_font) > height && points > 1) {
            TTF_CloseFont(ttf_font);
            ttf_font = TTF_OpenFont(file.c_str(), --points);
        }
        if (!ttf_font) return 0;
    }
    if (weight >= 600) TTF_SetFontStyle(ttf_font, TTF_STYLE_BOLD);
    font->ttf = ttf_font;
    font->fixed_pitch = TTF_FontFaceIsFixedWidth(ttf_font) != 0;
    int natural_avg = 0;
    TTF_GlyphMetrics(ttf_font, 'x', nullptr, nullptr, nullptr, nullptr, &natural_avg);
    natural_avg = std::max(1, natural_avg);
    font->x_scale = width > 0 ? double(width) / natural_avg : 1.0;
    font->metrics.average_width = width > 0 ? width : natural_avg;
    font->metrics.height = height;
    font->metrics.external_leading = 0;
    font->metrics.ascent = std::min(height, TTF_FontAscent(ttf_font));
    font->metrics.overhang = 0;
    const FontId id = next_font_++;
    fonts_[id] = std::move(font);
    return id;
}

void Canvas::delete_font(FontId id) {
    if (id != system_fixed_font) fonts_.erase(id);
}

FontMetrics Canvas::font_metrics(FontId id) const { return font(id)->metrics; }

void Canvas::draw_text(FontId id, int x, int y, std::string_view text, Rgb fg, Rgb bg) {
    Font* f = font(id);
    const int h = f->metrics.height;
    const uint32_t bg_pixel = pack(bg);
    ++text_runs;
    dirty = true;
    for (char ch : text) {
        const Font::Glyph& g = f->glyph(static_cast<uint8_t>(ch));
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
            if (px >= 0 && px < width_) pixels_[size_t(py) * width_ + px] = copy[size_t(y) * s.width() + x];
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
            const int sx = source.left + int(int64_t(x - dest.left) * source.width() / dest.width());
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
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels_.data()), width_, height_, 32, width_ * 4,
        SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace host::common
