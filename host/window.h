// The one top-level window and drawing on its client area, in GDI-like terms.
// All strings are Windows-1252 bytes; the backend converts when it renders.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "host/types.h"

namespace host {

struct FontMetrics {
    int average_width = 0;
    int height = 0;
    int external_leading = 0;
    int ascent = 0;
    int overhang = 0;
};

struct FrameMetrics {
    int sizing_frame_width = 0;   // SM_CXFRAME
    int sizing_frame_height = 0;  // SM_CYFRAME
    int caption_height = 0;       // SM_CYCAPTION
};

// 0 is the platform's fixed system font, always available.
using FontId = int;
constexpr FontId system_fixed_font = 0;

class Window {
public:
    virtual ~Window() = default;

    // Creates the window with the given outer size (frames and caption
    // included, as CreateWindow takes it), not yet shown. The client area is the
    // outer size less 2 x frame and the caption. Returns false when it cannot.
    virtual bool create(std::string_view title, int outer_width, int outer_height) = 0;
    virtual bool exists() const = 0;
    // Destroys the window; the backend then posts no more messages for it.
    virtual void destroy() = 0;

    virtual void set_title(std::string_view title) = 0;
    // Moves and sizes the outer window, in screen coordinates.
    virtual void move_size(int x, int y, int outer_width, int outer_height) = 0;
    virtual void show(bool maximized) = 0;
    // The smallest and largest outer size the user may give the window by
    // dragging or maximizing (WM_GETMINMAXINFO).
    virtual void set_size_limits(int min_width, int min_height, int max_width, int max_height) = 0;
    // Outer rectangle in screen coordinates.
    virtual Rect window_rect() const = 0;
    virtual int client_width() const = 0;
    virtual int client_height() const = 0;
    // True when this window is the active (foreground) window.
    virtual bool is_active() const = 0;

    virtual Rect work_area() const = 0;
    virtual int screen_width() const = 0;
    virtual int screen_height() const = 0;
    virtual FrameMetrics frame_metrics() const = 0;

    // Fonts: face matched through fontconfig with metric-compatible fallbacks
    // ("Lucida Console" to a monospace face, "Arial" to Liberation Sans or
    // similar). height is the cell height in pixels; width the average
    // character width (0 = natural); weight 0 = default. Returns 0 on failure.
    virtual FontId create_font(std::string_view face, int height, int width, int weight) = 0;
    virtual void delete_font(FontId font) = 0;
    virtual FontMetrics font_metrics(FontId font) const = 0;

    // Draws a run of characters with an opaque background, top-left at (x, y).
    // Must not allocate per call once the glyphs of a font are cached.
    virtual void draw_text(FontId font, int x, int y, std::string_view text, Rgb text_colour,
                           Rgb background) = 0;

    // Draws one row of palette indices, stretched to dest_width x dest_height
    // pixels at (x, y); pass count x 1 for an unstretched copy.
    virtual void draw_pixel_row(int x, int y, const uint8_t* indices, int count,
                                const Rgb* palette256, int dest_width, int dest_height) = 0;

    // Moves the pixels of `source` by (dx, dy) within the client area (ScrollDC).
    virtual void copy_rect(const Rect& source, int dx, int dy) = 0;
    virtual void fill_rect(const Rect& area, Rgb colour) = 0;

    // Offscreen copy of part of the client area, and a stretched blit of part of
    // it back onto the client area (the magnifier). Only one copy exists.
    virtual bool capture_offscreen(const Rect& area) = 0;
    virtual void stretch_offscreen(const Rect& source, const Rect& dest) = 0;
    virtual void release_offscreen() = 0;

    // Caret of the given size at a client position.
    virtual void show_caret(int x, int y, int width, int height) = 0;
    virtual void hide_caret() = 0;

    // The platform's default beep (MessageBeep 0).
    virtual void beep() = 0;

    // Shows `text` to the user in a modal message box with an OK button and
    // returns when it is dismissed (MessageBoxA). Traced as `message "<text>"`;
    // the headless backend only traces it and never waits.
    virtual void message_box(std::string_view text) = 0;

    // Writes the client area to a PNG file. Returns false on failure.
    virtual bool save_screenshot(const std::string& native_path) = 0;
};

}  // namespace host
