// The 80 x 25 text screen: writing at the cursor, scrolling, painting in runs
// of equal colours, the magnifier, and the program's standard text files.
#include <string>

#include "textwindow/text_window.h"
#include "textwindow/window_state.h"

namespace textwindow {

namespace {

constexpr size_t standard_file_buffer = 128;
// Slow scrolling copies pixels only while the window's bottom edge keeps this
// far above the screen's, where the copy is sure to be on screen.
constexpr int slow_scroll_margin = 32;
constexpr host::Rgb black{};

int cell_index(int column, int row) {
    return row * screen_columns + column;
}

void append_quoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

}  // namespace

void TextWindow::State::allocate_screen() {
    characters.fill(' ');
    attributes.fill(attribute);
}

host::Rect TextWindow::State::client_rect() const {
    return host::Rect{0, 0, host.window.client_width(), host.window.client_height()};
}

void TextWindow::State::clear_screen() {
    ensure_window();
    allocate_screen();
    column = 0;
    row = 0;
    invalidate(client_rect(), false);
    update_window();
}

void TextWindow::State::set_text_colour(uint8_t colour) {
    ensure_window();
    if (settings.fixed_colours) return;
    attribute = static_cast<uint8_t>((attribute & 0xF0) | (colour & 0x0F));
}

void TextWindow::State::trace_put(int on_row, int on_column, char byte) {
    if (!run_text.empty() &&
        (run_row != on_row || run_column + static_cast<int>(run_text.size()) != on_column))
        trace_flush();
    if (run_text.empty()) {
        run_row = on_row;
        run_column = on_column;
    }
    run_text.push_back(byte);
}

void TextWindow::State::trace_flush() {
    if (run_text.empty()) return;
    std::string args = std::to_string(run_row) + " " + std::to_string(run_column) + " ";
    append_quoted(args, run_text);
    host.trace.event("text", args);
    run_text.clear();
}

void TextWindow::State::write_text(std::string_view bytes) {
    ensure_window();
    ColumnRange changed{column, column};
    for (const char byte : bytes) {
        const auto code = static_cast<uint8_t>(byte);
        if (code >= 32) {
            if (column >= screen_columns) {
                trace_flush();
                column = 0;
                new_line(changed);
            }
            const int index = cell_index(column, row);
            characters[index] = byte;
            attributes[index] = attribute;
            trace_put(row, column, byte);
            changed.widen(column);
            ++column;
            continue;
        }
        trace_flush();
        switch (code) {
            case 7:
                host.window.beep();
                break;
            case 8:
                if (column > 0) {
                    --column;
                    const int index = cell_index(column, row);
                    characters[index] = ' ';
                    attributes[index] = attribute;
                    changed.widen(column);
                }
                break;
            case 10:
                new_line(changed);
                column = 0;
                break;
            case 13:
                column = 0;
                break;
            default:
                break;
        }
    }
    trace_flush();
    draw_range(row, changed.first, changed.last);
}

void TextWindow::State::new_line(ColumnRange& changed) {
    draw_range(row, changed.first, changed.last);
    changed = ColumnRange{};
    if (row < screen_rows - 1) {
        ++row;
    } else {
        scroll_up();
    }
    update_window();
}

void TextWindow::State::scroll_up() {
    std::copy(characters.begin() + screen_columns, characters.end(), characters.begin());
    std::copy(attributes.begin() + screen_columns, attributes.end(), attributes.begin());
    const int last = cell_index(0, screen_rows - 1);
    std::fill(characters.begin() + last, characters.end(), ' ');
    std::fill(attributes.begin() + last, attributes.end(), attribute);
    if (!created) return;

    const bool copy_pixels =
        settings.slow_scroll && host.window.is_active() &&
        host.window.window_rect().bottom < host.window.screen_height() - slow_scroll_margin;
    if (!copy_pixels) {
        invalidate(client_rect(), false);
        return;
    }
    const int width = host.window.client_width();
    host.window.copy_rect(host::Rect{0, line_height, width, screen_rows * line_height}, 0,
                          -line_height);
    host.window.fill_rect(
        host::Rect{0, (screen_rows - 1) * line_height, width, screen_rows * line_height},
        colour_rgb(settings.colour_map, static_cast<uint8_t>(attribute >> 4)));
}

void TextWindow::State::draw_range(int on_row, int first, int last) {
    if (!created || on_row < 0 || on_row >= screen_rows) return;
    first = std::max(first, 0);
    last = std::min(last, screen_columns);
    const int base = cell_index(0, on_row);
    int column_at = first;
    while (column_at < last) {
        const uint8_t a = attributes[base + column_at];
        int end = column_at + 1;
        while (end < last && attributes[base + end] == a) ++end;
        host.window.draw_text(font, column_at * char_width + overhang, on_row * line_height,
                              std::string_view(characters.data() + base + column_at,
                                               static_cast<size_t>(end - column_at)),
                              colour_rgb(settings.colour_map, static_cast<uint8_t>(a & 0x0F)),
                              colour_rgb(settings.colour_map, static_cast<uint8_t>(a >> 4)));
        column_at = end;
    }
}

void TextWindow::State::paint(const host::Rect& area) {
    if (!created || area.empty()) return;
    painting = true;
    const int first_column = std::max(0, area.left / char_width);
    const int last_column = std::min(screen_columns, (area.right + char_width - 1) / char_width);
    const int first_row = std::max(0, area.top / line_height);
    const int last_row = std::min(screen_rows, (area.bottom + line_height - 1) / line_height);
    for (int r = first_row; r < last_row; ++r) draw_range(r, first_column, last_column);
    painting = false;
}

void TextWindow::State::invalidate(const host::Rect& area, bool erase) {
    if (area.empty()) return;
    if (invalid.empty()) {
        invalid = area;
    } else {
        invalid.left = std::min(invalid.left, area.left);
        invalid.top = std::min(invalid.top, area.top);
        invalid.right = std::max(invalid.right, area.right);
        invalid.bottom = std::max(invalid.bottom, area.bottom);
    }
    invalid_erase = invalid_erase || erase;
}

void TextWindow::State::update_window() {
    if (invalid.empty()) return;
    const host::Rect area = invalid;
    const bool erase = invalid_erase;
    invalid = host::Rect{};
    invalid_erase = false;
    if (!created) return;
    // The class background is the black stock brush.
    if (erase) host.window.fill_rect(area, black);
    paint(area);
}

// ---------------------------------------------------------------- magnifier

// A factor of 0 (AMPLIF "0" or "8") turns the magnifier off: the right button
// does nothing, rather than divide by zero or zoom by an invented factor.
void TextWindow::State::magnifier_down(int x, int y) {
    if (!created || magnifier || settings.magnifier_factor <= 0) return;
    if (!host.window.capture_offscreen(host::Rect{0, 0, window_width, window_height})) return;
    magnifier = true;
    show_zoom(x, y);
}

void TextWindow::State::magnifier_move(int x, int y) {
    if (magnifier) show_zoom(x, y);
}

void TextWindow::State::show_zoom(int x, int y) {
    const int f = settings.magnifier_factor;
    const int left = std::max(0, x - x / f);
    const int top = std::max(0, y - y / f);
    host.window.stretch_offscreen(
        host::Rect{left, top, left + window_width / f, top + window_height / f},
        host::Rect{0, 0, window_width, window_height});
}

void TextWindow::State::magnifier_up() {
    if (!magnifier) return;
    magnifier = false;
    host.window.release_offscreen();
    invalidate(client_rect(), true);
}

// ---------------------------------------------------------------- standard text files

void TextWindow::State::write_output(std::string_view bytes) {
    // The buffer is written out whenever it fills, and at the end of the write.
    while (!bytes.empty()) {
        const size_t piece = std::min(bytes.size(), standard_file_buffer);
        write_text(bytes.substr(0, piece));
        bytes.remove_prefix(piece);
    }
    key_pressed();
}

std::string TextWindow::State::read_input_line() {
    std::string line = read_line(standard_file_buffer);
    // The line ends in CR LF; the reader gets the text before it.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// ---------------------------------------------------------------- TextWindow

void TextWindow::clear_screen() {
    state_->clear_screen();
}
void TextWindow::set_text_colour(uint8_t colour) {
    state_->set_text_colour(colour);
}
void TextWindow::write_text(std::string_view bytes) {
    state_->write_text(bytes);
}
void TextWindow::write_output(std::string_view bytes) {
    state_->write_output(bytes);
}
void TextWindow::write_output_line(std::string_view bytes) {
    std::string line(bytes);
    line.append("\r\n");
    state_->write_output(line);
}
std::string TextWindow::read_input_line() {
    return state_->read_input_line();
}

uint8_t TextWindow::cell_character(int column, int row) const {
    if (column < 0 || column >= screen_columns || row < 0 || row >= screen_rows) return 0;
    return static_cast<uint8_t>(state_->characters[cell_index(column, row)]);
}
uint8_t TextWindow::cell_attribute(int column, int row) const {
    if (column < 0 || column >= screen_columns || row < 0 || row >= screen_rows) return 0;
    return state_->attributes[cell_index(column, row)];
}
int TextWindow::cursor_column() const {
    return state_->column;
}
int TextWindow::cursor_row() const {
    return state_->row;
}
uint8_t TextWindow::text_attribute() const {
    return state_->attribute;
}
bool TextWindow::magnifier_active() const {
    return state_->magnifier;
}

}  // namespace textwindow
