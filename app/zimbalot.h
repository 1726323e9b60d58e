// The children's program: start-up, introduction, box game, key loop with the
// letter, digit, space and ESC answers, the activities and the closing screen.
#pragma once
#include <cstdint>
#include <string_view>

#include "app/context.h"
#include "host/types.h"
#include "host/window.h"

namespace app {

// Runs the whole program; it ends the process (close_window_and_exit).
[[noreturn]] void run_zimbalot(Context& context);

constexpr uint8_t key_escape = 27;
constexpr uint8_t key_space = 32;
constexpr uint8_t key_star = 42;

// The hint character for a letter key "A".."Z" in the hunt for a vowel "A",
// "E", "I", "O" or "U": 'x' for the vowel itself, 'p' next to it, then 'q',
// 'm', 'f' and 'g' for the farthest keys. 0 for any other vowel or key.
char vowel_hint(uint8_t vowel, uint8_t letter);
// The sound a hint character plays; empty for 'x' and any character without one.
std::string_view hint_sound(char hint);

// Where the window goes so that its client area is 640 x 480, centred in the
// work area's size (its left and top are not added).
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Placement&) const = default;
};
Placement centred_placement(const host::Rect& work_area, const host::FrameMetrics& frame);

// The program's own state and its operations. Everything runs on the one
// thread; every wait goes through the text window, so keys keep flowing.
class Zimbalot {
public:
    explicit Zimbalot(Context& context);

    // The whole program:
    //   introduction --first key ESC--> ending
    //   introduction --other key--> box game --box open--> key loop
    //   box game --ESC--> closing screen, process ends
    //   key loop --ESC confirmed--> ending --key--> process ends
    [[noreturn]] void run();

    // --- start-up and shared helpers
    void start_up();
    void centre_window();
    // Plays name + ".wav" through the system sound player, to its end; keys
    // typed meanwhile are queued the next time messages are pumped.
    void play_sound(std::string_view name);
    bool file_exists(std::string_view name);
    void empty_keyboard_queue();
    // One accepted key, upper-cased: ESC, space, "*", a digit or a letter.
    uint8_t read_answer_key();
    // True when the key is refused as a repetition.
    bool repeat_guard(uint8_t key);
    void draw_big_character(uint8_t character);
    void letter_presentation(uint8_t letter);

    // --- activities
    void box_game();
    void vowel_game();
    void vowel_hunt(uint8_t vowel);
    void number_activity(uint8_t digit);
    void closing_screen();

    int vowel_index() const { return vowel_index_; }
    void set_vowel_index(int index) { vowel_index_ = index; }

private:
    enum class Phase { introduction, box_game, key_loop, ending };

    void key_loop();
    // After ESC in the key loop: true when the program is to close.
    bool confirm_closing();
    // True for ESC, unless the lock is on (then traced "locked ESC").
    bool leaves(uint8_t key);
    [[noreturn]] void close_program();

    Context& context_;
    int vowel_index_ = 0;     // 0..4 for A, E, I, O, U
    uint8_t last_key_ = '@';  // no accepted key has this value
    int repeat_count_ = 0;    // consecutive repetitions of last_key_
    int key_count_ = 0;       // keys handled since the last vowel game
};

}  // namespace app
