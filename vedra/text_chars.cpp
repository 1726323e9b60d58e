#include "vedra/text_chars.h"

#include <cstdint>

namespace vedra {
namespace {

bool in(uint8_t b, std::string_view set) {
    return set.find(static_cast<char>(b)) != set.npos;
}

// À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü
constexpr std::string_view accented_upper =
    "\xC0\xC1\xC2\xC3\xC7\xC9\xCA\xCC\xCD\xD1\xD3\xD4\xD5\xD9\xDA\xDC";
// À Á Â Ã É Ê Ì Í Ó Ô Õ Ù Ú Ü
constexpr std::string_view accented_vowels_upper =
    "\xC0\xC1\xC2\xC3\xC9\xCA\xCC\xCD\xD3\xD4\xD5\xD9\xDA\xDC";

}  // namespace

char upper_case(char c) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
    switch (b) {
        case 0x9A:
            return '\x8A';  // š
        case 0x9C:
            return '\x8C';  // œ
        case 0x9E:
            return '\x8E';  // ž
        case 0xFF:
            return '\x9F';  // ÿ
        default:
            return c;
    }
}

char lower_case(char c) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
    switch (b) {
        case 0x8A:
            return '\x9A';
        case 0x8C:
            return '\x9C';
        case 0x8E:
            return '\x9E';
        case 0x9F:
            return '\xFF';
        default:
            return c;
    }
}

std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upper_case(c);
    return out;
}

std::string lower_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower_case(c);
    return out;
}

bool is_word_letter(char c) {
    const auto b = static_cast<uint8_t>(upper_case(c));
    return (b >= 'A' && b <= 'Z') || (b >= 0xC0 && in(b, accented_upper));
}

bool is_consonant_letter(char c) {
    const auto b = static_cast<uint8_t>(upper_case(c));
    return (b >= 'A' && b <= 'Z' && !in(b, "AEIOU")) || b == 0xC7 || b == 0xD1;
}

bool is_vowel_letter(char c) {
    const auto b = static_cast<uint8_t>(upper_case(c));
    return in(b, "AEIOU") || (b >= 0xC0 && in(b, accented_vowels_upper));
}

}  // namespace vedra
