// The text window's module state and the handlers behind TextWindow, shared by
// the window/keyboard half (text_window.cpp) and the screen half
// (text_screen.cpp). Internal to textwindow/.
#pragma once
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "textwindow/display_settings.h"
#include "textwindow/keyboard.h"
#include "textwindow/text_window.h"

namespace textwindow {

constexpr int screen_cells = screen_columns * screen_rows;

// Columns [first, last) of one row changed by a write.
struct ColumnRange {
    int first = 0;
    int last = 0;
    bool empty() const { return last <= first; }
    void widen(int column) {
        if (empty()) {
            first = column;
            last = column + 1;
        } else {
            first = std::min(first, column);
            last = std::max(last, column + 1);
        }
    }
};

struct TextWindow::State {
    State(host::Host& host_, std::string_view program_path);

    host::Host& host;

    // ---- main window (text_window.cpp)
    std::string title;
    DisplaySettings settings;
    bool created = false;
    bool closed = false;  // destroyed: never created again
    bool focused = false;
    bool reading = false;
    bool painting = false;
    bool break_check = true;
    // The lock against leaving by accident: closing the window, Alt+F4 and
    // Ctrl+Break do nothing; only the adult chord held long enough ends the
    // program. States: idle --Ctrl+Alt+Shift+Q down--> held --Q down or up
    // after unlock_hold_ms--> ended; held --Q up sooner--> idle.
    bool kiosk = false;
    bool unlock_held = false;
    uint64_t unlock_since_ms = 0;
    // True when the message was the adult chord's (and is used up).
    bool unlock_chord(const host::Message& message);
    host::FontId font = host::system_fixed_font;
    int char_width = 8;
    int line_height = 16;
    int ascent = 13;
    int overhang = 0;
    int window_width = 0;  // outer size computed at creation
    int window_height = 0;
    WaveHandler wave_handler;
    ExitHandler exit_handler;

    void ensure_window();
    [[noreturn]] void close_window_and_exit();
    [[noreturn]] void terminate_program();
    [[noreturn]] void end_process(int code);
    void set_title(std::string_view text);
    SizeLimits size_limits() const;
    void dispatch(const host::Message& message);
    void default_system_key(const host::Message& message);

    // ---- keyboard queue and waiting (text_window.cpp)
    KeyQueue queue;
    BrailleChords chords;
    int braille_mode = 0;
    bool tone_playing = false;
    std::vector<uint8_t> tone_image;

    void on_character(const host::Message& message);
    void on_key_down(const host::Message& message);
    void on_key_up(const host::Message& message);
    bool key_pressed();
    uint8_t read_key();
    std::string read_line(size_t capacity);
    void delay_ms(uint16_t milliseconds);
    void pump_messages();
    void set_braille_mode(int mode);
    void sound_tone(int frequency_hz);
    void play_tone(int frequency_hz);
    void stop_tone();
    void show_caret();
    void hide_caret();

    // ---- text screen (text_screen.cpp)
    std::array<char, screen_cells> characters{};
    std::array<uint8_t, screen_cells> attributes{};
    int column = 0;
    int row = 0;
    uint8_t attribute = 0x07;
    host::Rect invalid{};
    bool invalid_erase = false;
    bool magnifier = false;
    // The printable bytes of one write that went onto one row, for the trace.
    int run_row = 0;
    int run_column = 0;
    std::string run_text;

    void allocate_screen();
    void clear_screen();
    void set_text_colour(uint8_t colour);
    void write_text(std::string_view bytes);
    void new_line(ColumnRange& changed);
    void scroll_up();
    void draw_range(int on_row, int first, int last);
    void paint(const host::Rect& area);
    host::Rect client_rect() const;
    void invalidate(const host::Rect& area, bool erase);
    void update_window();
    void trace_put(int on_row, int on_column, char byte);
    void trace_flush();
    void magnifier_down(int x, int y);
    void magnifier_move(int x, int y);
    void magnifier_up();
    void show_zoom(int x, int y);
    void write_output(std::string_view bytes);
    std::string read_input_line();
};

}  // namespace textwindow
