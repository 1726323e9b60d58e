// Letters from the installed fonts (fontconfig finds the file for a Windows
// face name, SDL_ttf renders it) and PNG files through SDL_image.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "host/common/typeface.h"
#include "host/text.h"

namespace host::common {
namespace {

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

// A TrueType face at one size, its glyphs scaled to the requested average
// width.
class TtfTypeface : public Typeface {
public:
    TtfTypeface(TTF_Font* font, FontMetrics metrics, double x_scale, bool fixed_pitch)
        : font_(font), metrics_(metrics), x_scale_(x_scale), fixed_pitch_(fixed_pitch) {}
    ~TtfTypeface() override {
        if (font_) TTF_CloseFont(font_);
    }
    FontMetrics metrics() const override { return metrics_; }

    Glyph render(uint8_t byte) override {
        Glyph g;
        const int h = metrics_.height;
        std::string utf8 =
            byte < 32 ? std::string(" ") : cp1252_to_utf8(std::string(1, char(byte)));
        int natural_w = 0;
        SDL_Surface* surface = nullptr;
        if (font_) {
            SDL_Color white{255, 255, 255, 255};
            surface = TTF_RenderUTF8_Blended(font_, utf8.c_str(), white);
        }
        if (surface) natural_w = surface->w;
        g.width = std::max(1, static_cast<int>(std::lround(natural_w * x_scale_)));
        if (metrics_.average_width > 0 && fixed_pitch_) g.width = metrics_.average_width;
        g.alpha.assign(static_cast<size_t>(g.width) * h, 0);
        if (!surface) return g;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(surface);
        if (!argb) return g;
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
        return g;
    }

private:
    TTF_Font* font_;
    FontMetrics metrics_;
    double x_scale_;
    bool fixed_pitch_;
};

// The font file fontconfig gives for a Windows face name, with the
// metric-compatible fallbacks; empty when none is found.
std::string find_font_file(std::string_view face, int weight) {
    std::string family;
    std::string file = match_family(std::string(face), weight, &family);
    if (!file.empty() && lower(family) == lower(face)) return file;
    // Not installed under its own name: take the stand-in.
    std::string fallback = match_family(fallback_family(face), weight, nullptr);
    return fallback.empty() ? file : fallback;
}

}  // namespace

std::unique_ptr<Typeface> open_system_typeface() {
    // A monospace face, 16 pixels high, 8 wide.
    const FontMetrics metrics{8, 16, 0, 13, 0};
    TTF_Font* font = nullptr;
    if (ttf().ok) {
        const std::string file = find_font_file("Fixedsys", 400);
        if (!file.empty()) font = TTF_OpenFont(file.c_str(), 13);
    }
    double x_scale = 1.0;
    if (font) {
        int natural = 0;
        TTF_GlyphMetrics(font, 'x', nullptr, nullptr, nullptr, nullptr, &natural);
        x_scale = natural > 0 ? 8.0 / natural : 1.0;
    }
    return std::make_unique<TtfTypeface>(font, metrics, x_scale, true);
}

std::unique_ptr<Typeface> open_typeface(std::string_view face, int height, int width, int weight) {
    if (!ttf().ok || height <= 0 || height > 2000 || width < 0 || width > 2000) return nullptr;
    const std::string file = find_font_file(face, weight);
    if (file.empty()) return nullptr;
    // Find the point size whose line height fills the requested cell height.
    int points = height;
    TTF_Font* ttf_font = TTF_OpenFont(file.c_str(), points);
    if (!ttf_font) return nullptr;
    const int natural_height = std::max(1, TTF_FontHeight(ttf_font));
    if (natural_height != height) {
        TTF_CloseFont(ttf_font);
        points =
            std::max(1, static_cast<int>(std::floor(double(height) * height / natural_height)));
        ttf_font = TTF_OpenFont(file.c_str(), points);
        while (ttf_font && TTF_FontHeight(ttf_font) > height && points > 1) {
            TTF_CloseFont(ttf_font);
            ttf_font = TTF_OpenFont(file.c_str(), --points);
        }
        if (!ttf_font) return nullptr;
    }
    if (weight >= 600) TTF_SetFontStyle(ttf_font, TTF_STYLE_BOLD);
    const bool fixed_pitch = TTF_FontFaceIsFixedWidth(ttf_font) != 0;
    int natural_avg = 0;
    TTF_GlyphMetrics(ttf_font, 'x', nullptr, nullptr, nullptr, nullptr, &natural_avg);
    natural_avg = std::max(1, natural_avg);
    FontMetrics metrics;
    metrics.average_width = width > 0 ? width : natural_avg;
    metrics.height = height;
    metrics.external_leading = 0;
    metrics.ascent = std::min(height, TTF_FontAscent(ttf_font));
    metrics.overhang = 0;
    const double x_scale = width > 0 ? double(width) / natural_avg : 1.0;
    return std::make_unique<TtfTypeface>(ttf_font, metrics, x_scale, fixed_pitch);
}

bool write_png(const uint32_t* pixels, int width, int height, const std::string& path) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace host::common
