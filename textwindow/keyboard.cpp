#include "textwindow/keyboard.h"

#include <cstring>

#include "host/messages.h"

namespace textwindow {

bool KeyQueue::push(uint8_t code) {
    if (count_ >= capacity) return false;
    bytes_[count_++] = code;
    return true;
}

bool KeyQueue::push_extended(uint8_t code) {
    if (free_places() < 2) return false;
    bytes_[count_++] = 0;
    bytes_[count_++] = code;
    return true;
}

uint8_t KeyQueue::pop() {
    if (count_ == 0) return 0;
    const uint8_t code = bytes_[0];
    --count_;
    std::memmove(bytes_.data(), bytes_.data() + 1, count_);
    return code;
}

namespace {

struct ExtendedKey {
    uint16_t virtual_key;
    uint8_t code;
    uint8_t ctrl_code;
};

constexpr ExtendedKey extended_keys[] = {
    {host::vk::insert, 82, 255}, {host::vk::del, 83, 83},    {host::vk::home, 71, 119},
    {host::vk::end, 79, 117},    {host::vk::prior, 73, 132}, {host::vk::next, 81, 118},
    {host::vk::up, 72, 113},     {host::vk::down, 80, 114},  {host::vk::left, 75, 115},
    {host::vk::right, 77, 116},
};

// PC keyboard scan codes of the letters A..Z.
constexpr uint8_t letter_scan_codes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                           49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

// Rows are dots 4-6, columns dots 1-3, so the index is the chord's six bits.
constexpr uint8_t braille_table[64] = {
    ' ',  'a',  ',',  'b',  '\'', 'k', ';',  'l',   // none
    '^',  'c',  'i',  'f',  0xED, 'm', 's',  'p',   // 4
    '~',  'e',  ':',  'h',  '*',  'o', '!',  'r',   // 5
    0xAC, 'd',  'j',  'g',  0xE3, 'n', 't',  'q',   // 4-5
    0xFD, 0xE2, '?',  0xEA, '-',  'u', '"',  'v',   // 6
    '{',  0xEE, 0xF5, 0xE0, 0xF3, 'x', 0xE8, 0xE7,  // 4-6
    '$',  0xFB, 0xFF, 0xFC, '}',  'z', '=',  0xE1,  // 5-6
    '_',  0xF4, 'w',  0xEF, '#',  'y', 0xFA, 0xE9,  // 4-5-6
};

constexpr uint8_t space_bit = 64;

}  // namespace

int extended_key_code(uint16_t virtual_key, bool ctrl, bool shift) {
    if (virtual_key >= host::vk::f1 && virtual_key <= host::vk::f12) {
        const int n = virtual_key - host::vk::f1;
        return ctrl ? 94 + n : 59 + n;
    }
    for (const ExtendedKey& key : extended_keys) {
        if (key.virtual_key != virtual_key) continue;
        if (ctrl) return key.ctrl_code;
        if (virtual_key == host::vk::insert && shift) return 254;
        return key.code;
    }
    return -1;
}

int alt_key_code(uint16_t virtual_key) {
    if (virtual_key >= host::vk::key_a && virtual_key < host::vk::key_a + 26)
        return letter_scan_codes[virtual_key - host::vk::key_a];
    if (virtual_key == host::vk::digit0) return 129;
    if (virtual_key > host::vk::digit0 && virtual_key <= host::vk::digit0 + 9)
        return 120 + (virtual_key - host::vk::digit0 - 1);
    return -1;
}

uint8_t braille_character(uint8_t dots) {
    return braille_table[dots & 63];
}

uint8_t chord_bit(uint16_t virtual_key) {
    switch (virtual_key) {
        case 'F':
            return 1;
        case 'D':
            return 2;
        case 'S':
            return 4;
        case 'J':
            return 8;
        case 'K':
            return 16;
        case 'L':
            return 32;
        case host::vk::space:
            return space_bit;
        default:
            return 0;
    }
}

void BrailleChords::press(uint8_t bit) {
    chord_ |= bit;
    held_ |= bit;
}

void BrailleChords::clear_flags() {
    number_mode_ = false;
    capital_next_ = false;
    capitals_locked_ = false;
}

void BrailleChords::reset() {
    chord_ = 0;
    held_ = 0;
    clear_flags();
}

BrailleChords::Release BrailleChords::release(uint16_t virtual_key, bool ctrl, int mode) {
    Release result;
    const bool letter = virtual_key >= host::vk::key_a && virtual_key < host::vk::key_a + 26;
    if (ctrl || (virtual_key != host::vk::space && !letter)) {
        clear_flags();
        return result;
    }
    result.handled = true;
    held_ &= static_cast<uint8_t>(~chord_bit(virtual_key));
    if (held_ != 0) return result;
    // A letter that is no chord key, released with nothing held, finishes an
    // empty chord: a blank.
    result.character = finish(mode);
    chord_ = 0;
    return result;
}

uint8_t BrailleChords::finish(int mode) {
    if (chord_ & space_bit) {
        clear_flags();
        const uint8_t dots = chord_ & 63;
        if (dots == 0) return ' ';
        return braille_character(dots) & 0x1F;
    }
    const uint8_t c = braille_character(chord_);
    return mode == 2 ? contract(c) : c;
}

uint8_t BrailleChords::contract(uint8_t c) {
    if (number_mode_) {
        if (c == '\'') {
            c = '.';
        } else if (c >= 'a' && c <= 'i') {
            c = static_cast<uint8_t>('1' + (c - 'a'));
        } else if (c == 'j') {
            c = '0';
        } else if (c == '~') {
            number_mode_ = false;
        }
    }
    if ((capital_next_ || capitals_locked_) && c >= 'a' && c <= 'z')
        c = static_cast<uint8_t>(c - 'a' + 'A');
    if (c == braille_number_sign) {
        number_mode_ = true;
        return no_character;
    }
    if (c == braille_capital_sign) {
        if (capital_next_) capitals_locked_ = true;
        capital_next_ = true;
        return no_character;
    }
    capital_next_ = false;
    return c;
}

}  // namespace textwindow
