#include "host/common/window_core.h"

#include <algorithm>

namespace host::common {

int client_width_for(int outer_width, const FrameMetrics& frame) {
    return std::max(0, outer_width - 2 * frame.sizing_frame_width);
}

int client_height_for(int outer_height, const FrameMetrics& frame) {
    return std::max(0, outer_height - 2 * frame.sizing_frame_height - frame.caption_height);
}

Rect client_rect_for(const Rect& outer, const FrameMetrics& frame) {
    const int left = outer.left + frame.sizing_frame_width;
    const int top = outer.top + frame.sizing_frame_height + frame.caption_height;
    return Rect{left, top, left + client_width_for(outer.width(), frame),
                top + client_height_for(outer.height(), frame)};
}

Rect outer_rect_for(const Rect& client, const FrameMetrics& frame) {
    return Rect{client.left - frame.sizing_frame_width,
                client.top - frame.sizing_frame_height - frame.caption_height,
                client.right + frame.sizing_frame_width, client.bottom + frame.sizing_frame_height};
}

void WindowCore::set_outer(const Rect& outer) {
    outer_ = outer;
    outer_.right = outer_.left + std::max(0, outer.width());
    outer_.bottom = outer_.top + std::max(0, outer.height());
    canvas_.resize(client_width_for(outer_.width(), frame_),
                   client_height_for(outer_.height(), frame_));
}

void WindowCore::post_paint() {
    Message paint;
    paint.kind = MessageKind::paint;
    paint.rect = Rect{0, 0, canvas_.width(), canvas_.height()};
    messages_.post_message(paint);
}

void WindowCore::note_moved(int client_x, int client_y) {
    const Rect client{client_x, client_y, client_x + canvas_.width(), client_y + canvas_.height()};
    outer_ = outer_rect_for(client, frame_);
}

void WindowCore::note_resized(int client_width, int client_height) {
    Rect client = client_rect_for(outer_, frame_);
    client.right = client.left + std::max(0, client_width);
    client.bottom = client.top + std::max(0, client_height);
    set_outer(outer_rect_for(client, frame_));
    post_paint();
}

void WindowCore::close_quietly() {
    if (!exists_) return;
    exists_ = false;
    active_ = false;
    platform_.close_window();
}

bool WindowCore::create(std::string_view title, int outer_width, int outer_height) {
    // A second create replaces the window rather than leaving the first one
    // behind unreachable.
    close_quietly();
    set_outer(Rect{outer_.left, outer_.top, outer_.left + outer_width, outer_.top + outer_height});
    if (!platform_.open_window(title, canvas_.width(), canvas_.height())) return false;
    exists_ = true;
    trace_.event("window-create",
                 std::to_string(canvas_.width()) + " " + std::to_string(canvas_.height()));
    trace_.event("title", title);
    return true;
}

void WindowCore::destroy() {
    if (!exists_) return;
    close_quietly();
    trace_.event("window-destroy", "");
}

void WindowCore::set_title(std::string_view title) {
    trace_.event("title", title);
    if (exists_) platform_.retitle_window(title);
}

void WindowCore::move_size(int x, int y, int outer_width, int outer_height) {
    if (!exists_) return;
    set_outer(Rect{x, y, x + outer_width, y + outer_height});
    trace_.event("window-move", std::to_string(x) + " " + std::to_string(y) + " " +
                                    std::to_string(outer_width) + " " +
                                    std::to_string(outer_height));
    platform_.place_window(client_rect_for(outer_, frame_));
}

void WindowCore::show(bool maximized) {
    if (!exists_) return;
    if (maximized) {
        // Windows maximizes with the sizing frame just outside the work area.
        const Rect area = platform_.work_area();
        set_outer(Rect{area.left - frame_.sizing_frame_width, area.top - frame_.sizing_frame_height,
                       area.right + frame_.sizing_frame_width,
                       area.bottom + frame_.sizing_frame_height});
    }
    trace_.event("show", maximized ? "maximized" : "normal");
    platform_.show_window(maximized);
    post_paint();
}

void WindowCore::set_size_limits(int min_width, int min_height, int max_width, int max_height) {
    if (!exists_) return;
    platform_.limit_window(
        client_width_for(min_width, frame_), client_height_for(min_height, frame_),
        client_width_for(max_width, frame_), client_height_for(max_height, frame_));
}

FontId WindowCore::create_font(std::string_view face, int height, int width, int weight) {
    return canvas_.create_font(face, height, width, weight);
}

void WindowCore::delete_font(FontId font) {
    canvas_.delete_font(font);
}

FontMetrics WindowCore::font_metrics(FontId font) const {
    return canvas_.font_metrics(font);
}

void WindowCore::draw_text(FontId font, int x, int y, std::string_view text, Rgb text_colour,
                           Rgb background) {
    canvas_.draw_text(font, x, y, text, text_colour, background);
}

void WindowCore::draw_pixel_row(int x, int y, const uint8_t* indices, int count,
                                const Rgb* palette256, int dest_width, int dest_height) {
    canvas_.draw_pixel_row(x, y, indices, count, palette256, dest_width, dest_height);
}

void WindowCore::copy_rect(const Rect& source, int dx, int dy) {
    canvas_.copy_rect(source, dx, dy);
}

void WindowCore::fill_rect(const Rect& area, Rgb colour) {
    canvas_.fill_rect(area, colour);
}

bool WindowCore::capture_offscreen(const Rect& area) {
    return canvas_.capture_offscreen(area);
}

void WindowCore::stretch_offscreen(const Rect& source, const Rect& dest) {
    canvas_.stretch_offscreen(source, dest);
}

void WindowCore::release_offscreen() {
    canvas_.release_offscreen();
}

void WindowCore::show_caret(int x, int y, int width, int height) {
    caret_ = Rect{x, y, x + width, y + height};
    caret_visible_ = true;
    canvas_.dirty = true;
}

void WindowCore::hide_caret() {
    caret_visible_ = false;
    canvas_.dirty = true;
}

void WindowCore::beep() {
    trace_.event("beep", "");
    platform_.beep();
}

void WindowCore::message_box(std::string_view text) {
    trace_.event("message", quoted_trace_text(text));
    platform_.show_message_box(text);
}

bool WindowCore::save_screenshot(const std::string& native_path) {
    return canvas_.save_png(native_path);
}

}  // namespace host::common
