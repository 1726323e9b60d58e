// Whole numbers as the Portuguese words of the recorded number pieces.
#include <array>
#include <string>

#include "speech/speech.h"

namespace speech {
namespace {

// Indexed by digit; the words are also the names of the piece files.
constexpr std::array<std::string_view, 10> units = {"",      "um",   "dois", "tres", "quatro",
                                                    "cinco", "seis", "sete", "oito", "nove"};
constexpr std::array<std::string_view, 10> teens = {"dez",      "onze",    "doze",      "treze",
                                                    "quatorze", "quinze",  "dezesseis", "dezessete",
                                                    "dezoito",  "dezenove"};
constexpr std::array<std::string_view, 10> tens = {"",         "",          "vinte",    "trinta",
                                                   "quarenta", "cinquenta", "sessenta", "setenta",
                                                   "oitenta",  "noventa"};
constexpr std::array<std::string_view, 10> hundreds = {
    "",           "cento",      "duzentos",   "trezentos",  "quatrocentos",
    "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};

// Scale words by group position (0 = the highest three of fifteen digits),
// Windows-1252: \xE3 is "ã", \xF5 is "õ".
constexpr std::array<std::string_view, 4> scale_singular = {"trilh\xE3o ", "bilh\xE3o ",
                                                            "milh\xE3o ", "mil "};
constexpr std::array<std::string_view, 4> scale_plural = {
    "trilh\xF5"
    "es ",
    "bilh\xF5"
    "es ",
    "milh\xF5"
    "es ",
    "mil "};

constexpr size_t group_count = 5;
constexpr size_t digit_count = 15;

}  // namespace

std::string upper_case_word(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 'a' && b <= 'z')
            c = static_cast<char>(b - 32);
        else if (b >= 224)
            c = static_cast<char>(b - 32);
    }
    return out;
}

std::string recorded_group_words(std::string_view three_digits, bool* joined) {
    if (joined) *joined = false;
    if (three_digits.size() != 3) return "";
    const int h = three_digits[0] - '0';
    const int t = three_digits[1] - '0';
    const int u = three_digits[2] - '0';
    for (int d : {h, t, u})
        if (d < 0 || d > 9) return "";
    if (h == 0 && t == 0 && u == 0) return "";
    if (h == 1 && t == 0 && u == 0) return "cem";
    std::string out;
    const auto join = [&] {
        out += " e ";
        if (joined) *joined = true;
    };
    if (h != 0) {
        out += hundreds[h];
        if (t == 0 && u == 0) return out;
        join();
    }
    if (t == 1) {
        out += teens[u];
        return out;
    }
    if (t != 0) {
        out += tens[t];
        if (u == 0) return out;
        join();
    }
    if (u != 0) out += units[u];
    return out;
}

std::string recorded_number_words(uint64_t value) {
    if (value == 0) return "zero";
    // Fifteen digits: a larger value keeps only its last fifteen, as the
    // number reader has no scale word above the trillions.
    std::string digits = std::string(digit_count - 1, '0') + std::to_string(value);
    digits = digits.substr(digits.size() - digit_count);

    std::array<std::string, group_count> groups;
    size_t last = group_count - 1;
    bool any = false;
    for (size_t p = 0; p < group_count; ++p) {
        const std::string_view three = std::string_view(digits).substr(3 * p, 3);
        groups[p] = recorded_group_words(three);
        if (p < group_count - 1 && three != "000") {
            groups[p] += ' ';
            groups[p] += three == "001" ? scale_singular[p] : scale_plural[p];
        }
        if (!groups[p].empty()) {
            last = p;
            any = true;
        }
    }
    if (!any) last = group_count - 1;

    // "e " goes before the last group whenever more than one group speaks
    // (mil e quinhentos e doze): the same pieces either way, and the way the
    // recorded voice has always read these numbers.
    std::string out;
    std::string_view pending;
    for (size_t p = 0; p <= last; ++p) {
        if (p == last && !groups[p].empty()) out += pending;
        out += groups[p];
        if (!groups[p].empty()) pending = "e ";
    }
    if (out.starts_with("um mil") && !out.starts_with("um milh")) out.erase(0, 3);
    return out;
}

}  // namespace speech
