// The canvas's letters on Windows come from GDI fonts (the faces the system
// itself has, "Lucida Console" and "Arial" included), rendered in grey levels
// into a memory bitmap; pictures are written as PNG by a small encoder of our
// own, so a screenshot needs no imaging library.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "host/common/typeface.h"
#include "host/win32/png_writer.h"

namespace host::common {
namespace {

class GdiTypeface : public Typeface {
public:
    // Takes ownership of `font` unless `stock`.
    GdiTypeface(HFONT font, bool stock) : font_(font), stock_(stock) {
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = static_cast<HFONT>(SelectObject(dc_, font_));
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_, &tm);
        metrics_.average_width = tm.tmAveCharWidth;
        metrics_.height = tm.tmHeight;
        metrics_.external_leading = tm.tmExternalLeading;
        metrics_.ascent = tm.tmAscent;
        metrics_.overhang = tm.tmOverhang;
    }
    ~GdiTypeface() override {
        SelectObject(dc_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        DeleteDC(dc_);
        if (!stock_) DeleteObject(font_);
    }
    GdiTypeface(const GdiTypeface&) = delete;
    GdiTypeface& operator=(const GdiTypeface&) = delete;

    bool usable() const { return dc_ && metrics_.height > 0; }
    FontMetrics metrics() const override { return metrics_; }

    Glyph render(uint8_t byte) override {
        Glyph g;
        const int height = std::max(1, metrics_.height);
        const char c = static_cast<char>(byte < 32 ? ' ' : byte);
        SIZE size{};
        GetTextExtentPoint32A(dc_, &c, 1, &size);
        g.width = std::clamp<int>(size.cx, 1, 4 * height + 64);
        g.alpha.assign(size_t(g.width) * size_t(height), 0);
        if (byte < 32 || !ensure_bitmap(g.width, height)) return g;
        std::memset(bits_, 0, size_t(bitmap_width_) * size_t(bitmap_height_) * 4);
        SetTextColor(dc_, RGB(255, 255, 255));
        SetBkMode(dc_, TRANSPARENT);
        TextOutA(dc_, 0, 0, &c, 1);
        GdiFlush();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < g.width; ++x)
                g.alpha[size_t(y) * g.width + x] =
                    static_cast<const uint8_t*>(bits_)[(size_t(y) * bitmap_width_ + x) * 4 + 1];
        return g;
    }

private:
    bool ensure_bitmap(int width, int height) {
        if (bitmap_ && width <= bitmap_width_ && height <= bitmap_height_) return true;
        if (bitmap_) {
            SelectObject(dc_, previous_bitmap_);
            DeleteObject(bitmap_);
            bitmap_ = nullptr;
        }
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;  // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (!bitmap_) return false;
        previous_bitmap_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap_));
        bitmap_width_ = width;
        bitmap_height_ = height;
        return true;
    }

    HFONT font_;
    bool stock_;
    HDC dc_ = nullptr;
    HFONT previous_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBITMAP previous_bitmap_ = nullptr;
    void* bits_ = nullptr;
    int bitmap_width_ = 0;
    int bitmap_height_ = 0;
    FontMetrics metrics_;
};

}  // namespace

std::unique_ptr<Typeface> open_system_typeface() {
    auto face =
        std::make_unique<GdiTypeface>(static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT)), true);
    return face;
}

namespace {

HFONT make_font(const char* name, int height, int width, int weight, DWORD pitch) {
    return CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, pitch, name);
}

// Whether the font mapper gave the face asked for.
bool maps_to(HFONT font, const char* name) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    char mapped[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, mapped);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return lstrcmpiA(mapped, name) == 0;
}

// Console faces the text screen lays out in cells of one width.
bool monospace_face(const char* name) {
    for (const char* face : {"Lucida Console", "Courier New", "Courier", "Consolas", "Fixedsys",
                             "Terminal", "Lucida Sans Typewriter"})
        if (lstrcmpiA(face, name) == 0) return true;
    return false;
}

}  // namespace

std::unique_ptr<Typeface> open_typeface(std::string_view face, int height, int width, int weight) {
    if (height <= 0 || height > 2000 || width < 0 || width > 2000) return nullptr;
    // LF_FACESIZE holds the name with its terminating zero; a longer name is
    // cut as the font mapper would.
    char name[LF_FACESIZE] = {};
    std::memcpy(name, face.data(), std::min(face.size(), size_t(LF_FACESIZE - 1)));
    HFONT font = make_font(name, height, width, weight, DEFAULT_PITCH);
    // A console face the machine lacks must not become a proportional one:
    // the text screen's cells would no longer meet. Any fixed-pitch face
    // takes its place.
    if (font && monospace_face(name) && !maps_to(font, name)) {
        DeleteObject(font);
        font = make_font("", height, width, weight, FIXED_PITCH | FF_MODERN);
    }
    if (!font) return nullptr;
    auto typeface = std::make_unique<GdiTypeface>(font, false);
    if (!typeface->usable()) return nullptr;
    return typeface;
}

bool write_png(const uint32_t* pixels, int width, int height, const std::string& path) {
    const std::vector<uint8_t> png = win32::encode_png(pixels, width, height);
    if (png.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace host::common
