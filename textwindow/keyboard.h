// The keyboard's pure logic: the 64-byte key queue, the translation tables for
// extended and Alt keys, and the Braille chord state machine. No host access,
// so every rule can be tested on its own.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace textwindow {

// Key codes waiting for the program, oldest first.
class KeyQueue {
public:
    static constexpr size_t capacity = 64;

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    size_t free_places() const { return capacity - count_; }
    // Appends a byte; false (and nothing queued) when the queue is full.
    bool push(uint8_t code);
    // Appends an extended key (0 and its code) only when both fit.
    bool push_extended(uint8_t code);
    // Removes and returns the oldest byte; 0 when the queue is empty.
    uint8_t pop();
    uint8_t front() const { return count_ ? bytes_[0] : 0; }
    void clear() { count_ = 0; }

private:
    std::array<uint8_t, capacity> bytes_{};
    size_t count_ = 0;
};

// Code queued after the 0 byte for a function or cursor key, or -1 when the
// virtual key is not one of them.
int extended_key_code(uint16_t virtual_key, bool ctrl, bool shift);

// Code queued after the 0 byte for Alt with a letter or digit, or -1.
int alt_key_code(uint16_t virtual_key);

// The byte a chord of six dots produces (dot 1 is bit 0 ... dot 6 is bit 5).
uint8_t braille_character(uint8_t dots);

constexpr uint8_t braille_capital_sign = '{';
constexpr uint8_t braille_number_sign = '#';
// A chord that produced nothing.
constexpr uint8_t no_character = 254;

// Bit of a chord key (F D S J K L, and the space bar), or 0 for any other key.
uint8_t chord_bit(uint16_t virtual_key);

// Chord collection and the contractions of Braille mode 2.
//
// Phases:
//   idle        --chord key down-->                      collecting
//   collecting  --chord key down-->                      collecting (bit added)
//   collecting  --key up, another chord key still held--> collecting
//   any         --space/letter key up, none held-->      idle, chord finished
// Mode-2 flags (number mode, capital next, capitals locked) change only when
// a chord finishes, and all three clear on a chord with the space bar and on
// the release of any other key or of a key with Ctrl held.
class BrailleChords {
public:
    enum class Phase : uint8_t { idle, collecting };

    // A chord key went down (the caller checked Braille mode and no Ctrl).
    void press(uint8_t bit);

    struct Release {
        bool handled = false;              // the key-up message counts as handled
        uint8_t character = no_character;  // the chord's byte, if it finished
    };
    // A key went up in Braille mode `mode` (1 or 2).
    Release release(uint16_t virtual_key, bool ctrl, int mode);

    // Forgets the chord and the mode-2 flags.
    void reset();

    Phase phase() const { return held_ ? Phase::collecting : Phase::idle; }
    uint8_t chord() const { return chord_; }
    uint8_t held() const { return held_; }
    bool number_mode() const { return number_mode_; }
    bool capital_next() const { return capital_next_; }
    bool capitals_locked() const { return capitals_locked_; }

private:
    uint8_t finish(int mode);
    uint8_t contract(uint8_t c);
    void clear_flags();

    uint8_t chord_ = 0;
    uint8_t held_ = 0;
    bool number_mode_ = false;
    bool capital_next_ = false;
    bool capitals_locked_ = false;
};

}  // namespace textwindow
