// The console-like text window: the one main window with its display settings,
// the keyboard queue with Braille chord input, waiting and message pumping, and
// the 80 x 25 text screen with colours and magnifier.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/host.h"
#include "textwindow/display_settings.h"

namespace textwindow {

constexpr int screen_columns = 80;
constexpr int screen_rows = 25;

class TextWindow {
public:
    // Module initialisation: identity colour map, the program's path as the
    // initial title (at most 79 characters).
    TextWindow(host::Host& host, std::string_view program_path);
    ~TextWindow();
    TextWindow(const TextWindow&) = delete;
    TextWindow& operator=(const TextWindow&) = delete;

    // --- main window and display settings
    // Creates the window on first use (reads section VIDEO and BRAILLE of
    // KORALU.INI in the Windows folder first). Does nothing afterwards.
    void ensure_window();
    // Empties the queue, destroys the window and ends the process with code 0.
    [[noreturn]] void close_window_and_exit();
    // The wave-out player's handler for finished blocks.
    using WaveHandler = std::function<void(uint32_t block_id)>;
    void register_wave_handler(WaveHandler handler);
    // What a module must still do when the program ends, whichever way it ends
    // (closing, quit message, Ctrl+Break): the wave-out player closes its
    // device. Runs once, after the window is gone and before the process ends.
    using ExitHandler = std::function<void()>;
    void register_exit_handler(ExitHandler handler);
    void set_title(std::string_view title);
    host::Window& window();
    host::Host& host();
    // The settings read when the window was created (the defaults before).
    const DisplaySettings& display_settings() const;
    // Pixel size of a character cell: average width and line height.
    int cell_width() const;
    int line_height() const;
    // The sizes the window is kept within: its maximized and largest tracked
    // size, and its smallest tracked size (outer sizes).
    struct SizeLimits {
        int max_width = 0;
        int max_height = 0;
        int min_track_width = 0;
        int min_track_height = 0;
    };
    SizeLimits size_limits() const;

    // --- keyboard queue, waiting and timing
    bool key_pressed();
    uint8_t read_key();
    // Line input with echo: returns the characters taken followed by CR LF.
    std::string read_line(size_t capacity);
    void delay_ms(uint16_t milliseconds);
    // Removes, translates and dispatches every pending message.
    void pump_messages();
    // WaitMessage: blocks until a message is pending.
    void wait_message();
    // PostMessage to the main window (the wake-up messages).
    void post_message(uint32_t message_id);
    void set_braille_mode(int mode);
    int braille_mode() const;
    size_t queued_key_count() const;
    void play_tone(int frequency_hz);
    void stop_tone();
    // Ends the program as a quit message or Ctrl+Break does (exit code 255).
    [[noreturn]] void terminate_program();
    // The lock against leaving by accident: when on, closing the window,
    // Alt+F4 and Ctrl+Break are refused (traced "locked ..."), and holding
    // Ctrl+Alt+Shift+Q for unlock_hold_ms ends the program with code 0.
    void set_kiosk(bool on);
    bool kiosk() const;
    static constexpr uint64_t unlock_hold_ms = 2000;

    // --- text screen
    void clear_screen();
    void set_text_colour(uint8_t colour);
    void write_text(std::string_view bytes);
    // The program's standard text output (128-byte buffer; each write ends in
    // write_text and one key_pressed) and input (read_line of 128).
    void write_output(std::string_view bytes);
    void write_output_line(std::string_view bytes);
    std::string read_input_line();

    // For tests and the picture code: the screen buffer and cursor.
    uint8_t cell_character(int column, int row) const;
    uint8_t cell_attribute(int column, int row) const;
    int cursor_column() const;
    int cursor_row() const;
    uint8_t text_attribute() const;
    bool magnifier_active() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace textwindow
