#include "vedra/tokens.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "vedra/text_chars.h"

namespace vedra {
namespace {

const std::string default_code = "555";
constexpr char diaeresis = '\xA8';  // "¨", written by rules in front of a phoneme

bool starts_sentence_end(std::string_view text) {
    return !text.empty() && (text[0] == '!' || text[0] == '.' || text[0] == '?');
}

bool field_fits(const std::string& field, const std::string& category) {
    return field.empty() || field == category;
}

// (value) truncated toward zero, kept inside what an int holds: factors come
// from callers as any double, and a huge or undefined product must not be
// converted unchecked.
int64_t truncated(double value) {
    if (!(value > 0)) return 0;  // negatives and NaN: no time, no pitch
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int64_t>(value);
}

// The number after "_ " in a pause line; 100 when it is not a number.
int pause_milliseconds(std::string_view digits) {
    int value = 0;
    if (digits.empty()) return Prosody::default_duration_ms;
    for (const char c : digits) {
        if (c < '0' || c > '9') return Prosody::default_duration_ms;
        if (value > 1'000'000) return value;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::vector<CategorisedToken> categorise_tokens(std::string_view text, const Prosody& prosody) {
    std::vector<CategorisedToken> list;
    list.push_back({"--", ""});
    size_t i = 0;
    while (true) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        CategorisedToken token;
        if (text[i] == '.' && i + 1 < text.size() && text[i + 1] == '.') {
            while (i < text.size() && text[i] == '.') ++i;
            token = {".-", "."};
        } else if (!is_word_letter(text[i])) {
            token = {std::string(2, text[i]), std::string(1, text[i])};
            ++i;
        } else {
            const size_t start = i;
            while (i < text.size() && is_word_letter(text[i])) ++i;
            token.text = std::string(text.substr(start, i - start));
            token.category = prosody.keyword_category(token.text);
            if (token.category.empty()) token.category = "XX";
        }
        const bool boundary = starts_sentence_end(token.text);
        list.push_back(std::move(token));
        if (boundary) list.push_back({"--", ""});
    }
    return list;
}

TokenList make_token_list(std::string_view normalised_text, bool melody, const Prosody& prosody) {
    const std::vector<CategorisedToken> list = categorise_tokens(normalised_text, prosody);
    const std::string none;
    TokenList tokens;
    tokens.reserve(list.size());
    std::string previous_code;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string& p = i > 0 ? list[i - 1].category : none;
        const std::string& c = list[i].category;
        const std::string& n = i + 1 < list.size() ? list[i + 1].category : none;
        std::string code = default_code;
        if (melody) {
            for (const MelodyPattern& pattern : prosody.patterns()) {
                if (field_fits(pattern.left, p) && field_fits(pattern.middle, c) &&
                    field_fits(pattern.right, n)) {
                    code = pattern.code;
                    break;
                }
            }
        }
        if (code[0] == '?') code[0] = previous_code.empty() ? '5' : previous_code[2];
        tokens.push_back(code + "|" + list[i].text);
        previous_code = std::move(code);
    }
    return tokens;
}

MbrolaLines make_mbrola_lines(const PhonemeScript& script, double duration_factor,
                              double pitch_factor, const Prosody& prosody,
                              const DiphoneList& diphones, std::string& current_symbol) {
    MbrolaLines out;
    out.reserve(script.size() + script.size() / 4);
    std::string code = default_code;
    int phase = 0;  // 0 no target yet, 1 first given, 2 at the stressed phoneme, 3 after it
    int percent = 100;
    size_t word_length = 0;
    std::string previous_symbol = "_";

    const auto target = [&](char digit, int position) -> std::string {
        if (digit < '0' || digit > '9') return {};
        const int scale = prosody.pitch_scale[static_cast<size_t>(digit - '0')];
        if (scale == 0) return {};
        const int64_t pitch = truncated(scale * pitch_factor * prosody.base_pitch_hz) / 100;
        return std::to_string(position) + " " + std::to_string(pitch);
    };

    for (size_t i = 0; i < script.size(); ++i) {
        std::string line = script[i];
        const bool last_phoneme = i + 1 == script.size() || script[i + 1].empty();
        if (line.empty()) {
            percent = 100;
            current_symbol.clear();
        } else if (line[0] == ';' && line.size() >= 5 && line[4] == '|') {
            code = line.substr(1, 3);
            line.erase(1, 4);
            word_length = line.size();
            phase = 0;
        } else {
            if (line[0] == '>') {
                percent = 145;
                line.erase(0, 1);
                if (!line.empty() && line[0] == diaeresis) line.erase(0, 1);
                phase = 2;
            } else if (line[0] == diaeresis) {
                line.erase(0, 1);
                percent = 100;
            }
            std::string symbol;
            int64_t duration = 0;
            if (!line.empty() && line[0] == '_') {
                if (line.size() == 1)
                    duration = Prosody::default_duration_ms;
                else if (line[1] == ' ')
                    duration = pause_milliseconds(line.substr(2));
                else
                    duration = prosody.phoneme_duration(line);
                symbol = "_";
            } else {
                symbol = line;
                duration = prosody.phoneme_duration(line);
                if (phase < 2) {
                    if (word_length > 13)
                        duration = duration * 80 / 100;
                    else if (word_length > 9)
                        duration = duration * 90 / 100;
                }
            }
            current_symbol = symbol;
            const int64_t scaled = truncated(double(duration) * percent * duration_factor) / 100;
            line = symbol + " " + std::to_string(scaled);
            std::string pitch;
            if (phase == 0) {
                pitch = target(code[0], 50);
                phase = 1;
            } else if (phase == 2) {
                pitch = target(code[1], 80);
                phase = 3;
            } else if (phase == 3 && last_phoneme) {
                pitch = target(code[2], 50);
            }
            if (!pitch.empty()) line += " " + pitch;
        }

        if (!current_symbol.empty()) {
            if (!diphones.has_diphone(previous_symbol, current_symbol)) {
                if (previous_symbol == "r2" && diphones.has_diphone("r2", "_"))
                    out.emplace_back("_ 50");
                else if (diphones.has_diphone(previous_symbol, "y"))
                    out.emplace_back("y 50");
                else
                    out.emplace_back("_ 50");
            }
            if (!line.empty()) previous_symbol = current_symbol;
        }
        out.push_back(std::move(line));
    }
    return out;
}

}  // namespace vedra
