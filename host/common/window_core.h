// The half of the window that every backend shares: the window's state, the
// outer/client arithmetic, the drawing (forwarded to one Canvas) and the trace
// lines of the window calls. A backend keeps one WindowCore, hands it to the
// system as its Window, and implements only WindowPlatform: the real window
// (or none), how it is shown, and the message box.
//
// Trace lines written here, for every backend alike:
//   window-create <client w> <client h>   title "<text>"
//   window-move <x> <y> <outer w> <outer h>   show normal|maximized
//   window-destroy   beep   message "<text>"
#pragma once
#include <string>
#include <string_view>

#include "host/common/canvas.h"
#include "host/messages.h"
#include "host/trace.h"
#include "host/window.h"

namespace host::common {

// The frame of a sizable captioned window, as Windows' default metrics give
// it; backends without real metrics use it so that the system's window
// arithmetic gives the same sizes everywhere.
inline constexpr FrameMetrics standard_frame{4, 4, 23};

// The client size inside an outer size, never negative.
int client_width_for(int outer_width, const FrameMetrics& frame);
int client_height_for(int outer_height, const FrameMetrics& frame);
// The client area on the screen of a window whose outer rectangle is `outer`.
Rect client_rect_for(const Rect& outer, const FrameMetrics& frame);
// The outer rectangle of a window whose client area is `client`.
Rect outer_rect_for(const Rect& client, const FrameMetrics& frame);

// What a backend implements for its window. Every call comes from the
// WindowCore after it updated its own state; none of them traces.
class WindowPlatform {
public:
    virtual ~WindowPlatform() = default;
    // Creates the real window with the given client size, not yet shown.
    // False when it cannot; the core then stays without a window.
    virtual bool open_window(std::string_view title, int client_width, int client_height) = 0;
    // Destroys the real window; nothing is posted for it afterwards.
    virtual void close_window() = 0;
    virtual void retitle_window(std::string_view title) = 0;
    // Places the client area at `client` (screen coordinates).
    virtual void place_window(const Rect& client) = 0;
    // Shows the window (maximized: filling the work area). The core has set
    // its maximized geometry and posts the paint message itself.
    virtual void show_window(bool maximized) = 0;
    // Client-size limits for the user's dragging and maximizing.
    virtual void limit_window(int min_client_width, int min_client_height, int max_client_width,
                              int max_client_height) = 0;
    virtual Rect work_area() const = 0;
    virtual int screen_width() const = 0;
    virtual int screen_height() const = 0;
    // The platform's default beep; must not wait for its end.
    virtual void beep() = 0;
    // Shows a modal message box and returns when it is dismissed (a
    // simulation returns at once).
    virtual void show_message_box(std::string_view text) = 0;
};

class WindowCore final : public Window {
public:
    WindowCore(WindowPlatform& platform, MessageQueue& messages, Trace& trace,
               FrameMetrics frame = standard_frame)
        : platform_(platform), messages_(messages), trace_(trace), frame_(frame) {}

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }
    // The caret as last shown; the backend draws it when it presents.
    bool caret_visible() const { return caret_visible_; }
    Rect caret() const { return caret_; }

    // What the platform tells the core: the user moved the window (client
    // origin on the screen), resized it (client size; repainted through a
    // paint message), or it gained or lost the focus.
    void note_moved(int client_x, int client_y);
    void note_resized(int client_width, int client_height);
    void note_active(bool active) { active_ = active; }
    // Destroys the real window without a trace line (at the backend's end).
    void close_quietly();

    // Window
    bool create(std::string_view title, int outer_width, int outer_height) override;
    bool exists() const override { return exists_; }
    void destroy() override;
    void set_title(std::string_view title) override;
    void move_size(int x, int y, int outer_width, int outer_height) override;
    void show(bool maximized) override;
    void set_size_limits(int min_width, int min_height, int max_width, int max_height) override;
    Rect window_rect() const override { return outer_; }
    int client_width() const override { return canvas_.width(); }
    int client_height() const override { return canvas_.height(); }
    bool is_active() const override { return exists_ && active_; }
    Rect work_area() const override { return platform_.work_area(); }
    int screen_width() const override { return platform_.screen_width(); }
    int screen_height() const override { return platform_.screen_height(); }
    FrameMetrics frame_metrics() const override { return frame_; }
    FontId create_font(std::string_view face, int height, int width, int weight) override;
    void delete_font(FontId font) override;
    FontMetrics font_metrics(FontId font) const override;
    void draw_text(FontId font, int x, int y, std::string_view text, Rgb text_colour,
                   Rgb background) override;
    void draw_pixel_row(int x, int y, const uint8_t* indices, int count, const Rgb* palette256,
                        int dest_width, int dest_height) override;
    void copy_rect(const Rect& source, int dx, int dy) override;
    void fill_rect(const Rect& area, Rgb colour) override;
    bool capture_offscreen(const Rect& area) override;
    void stretch_offscreen(const Rect& source, const Rect& dest) override;
    void release_offscreen() override;
    void show_caret(int x, int y, int width, int height) override;
    void hide_caret() override;
    void beep() override;
    void message_box(std::string_view text) override;
    bool save_screenshot(const std::string& native_path) override;

private:
    void set_outer(const Rect& outer);
    void post_paint();

    WindowPlatform& platform_;
    MessageQueue& messages_;
    Trace& trace_;
    FrameMetrics frame_;
    Canvas canvas_;
    bool exists_ = false;
    bool active_ = false;
    Rect outer_{};
    Rect caret_{};
    bool caret_visible_ = false;
};

}  // namespace host::common
