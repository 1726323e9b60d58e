#include "diphone/speaker.h"

namespace diphone {
namespace {

constexpr size_t max_group_chars = 40;
// A group keeps absorbing "/"-joined rule outputs while it is this short.
constexpr size_t join_limit_chars = 8;
constexpr size_t max_name_chars = 12;

bool is_unit_vowel(char c) {
    return c != '\0' && std::string_view("AEIOUaeiouwy").find(c) != std::string_view::npos;
}

bool is_unit_consonant(char c) {
    return c >= 'a' && c <= 'z' && c != 'h' && c != 'w' && c != 'y' && !is_unit_vowel(c);
}

bool is_semivowel(char c) {
    return c == 'w' || c == 'y';
}
bool is_vowel_mark(char c) {
    return c == '^' || c == '~';
}
bool is_stressed_vowel(char c) {
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}

int pause_for(char mark) {
    switch (mark) {
        case ',':
            return comma_pause_samples;
        case '.':
            return full_stop_pause_samples;
        case ':':
            return colon_pause_samples;
        case ';':
            return semicolon_pause_samples;
        default:
            return 0;
    }
}

std::string_view without_last(std::string_view s, size_t count) {
    return s.substr(0, s.size() - count);
}

class Speaker {
public:
    Speaker(std::string_view phonemes, bool no_pause, UnitPlayer& player, UnitStats* stats)
        : text_(phonemes), no_pause_(no_pause), player_(player), stats_(stats) {}

    void speak(int word_silence) {
        player_.begin_utterance();
        position_ = 0;
        mode_ = StressMode::before_stress;
        while (position_ < text_.size()) {
            const std::string group = next_group();
            split_and_say(group, 1.0);
            if (position_ < text_.size() && text_[position_ - 1] != ' ')
                player_.append_silence(word_silence);
        }
        player_.flush_speech();
    }

private:
    char at(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    std::string next_group() {
        if (at(position_) == '[') {
            mode_ = StressMode::before_stress;
            ++position_;
        }
        std::string group;
        auto append = [&group](char c) {
            if (group.size() < max_group_chars) group.push_back(c);
        };
        while (position_ < text_.size()) {
            const char c = text_[position_];
            if (c == ' ' || c == ']') break;
            if (c == '/') {
                if (group.size() > join_limit_chars) break;
                ++position_;
                continue;
            }
            ++position_;
            append(c);
            if (c == '_' && position_ < text_.size()) append(text_[position_++]);
        }
        ++position_;  // over the character that ended the group
        if (!no_pause_ && group.size() == 2 && group[0] == '_') {
            if (const int pause = pause_for(group[1]); pause > 0) {
                player_.append_silence(pause);
                group.clear();
            }
        }
        return group;
    }

    void split_and_say(std::string_view g, double factor) {
        const size_t n = g.size();
        if (n == 0) return;
        if (n == 1) {
            say_syllable(g, factor);
            return;
        }
        const char last = g[n - 1];
        if (n > 2) {
            const bool cluster = g.starts_with("dj") || g.starts_with("nh") ||
                                 g.starts_with("rr") || g.starts_with("ks") || g.starts_with("tch");
            if (is_unit_consonant(g[0]) && is_unit_consonant(g[1]) && !cluster) {
                say_syllable(g.substr(0, 1), 1.0);
                split_and_say(g.substr(1), factor);
                return;
            }
            if (g.ends_with("rr")) {
                split_and_say(without_last(g, 2), factor);
                say_syllable("rr", factor);
                return;
            }
            if (is_unit_consonant(last)) {
                split_and_say(without_last(g, 1), factor);
                split_and_say(g.substr(n - 1), factor);
                return;
            }
        }
        if (is_semivowel(last)) {
            const char before = g[n - 2];
            if (is_unit_vowel(before) && n > 2) {
                split_and_say(without_last(g, 1), 0.6);
                say_syllable(g.substr(n - 2), factor);
                return;
            }
            // A mark right before the semivowel goes after it. Two characters
            // (mark, semivowel) have nothing to rearrange and are said as they
            // stand below.
            if (is_vowel_mark(before) && n == 3) {
                say_syllable(std::string{g[0], g[2], g[1]}, factor);
                return;
            }
            if (is_vowel_mark(before) && n > 3) {
                const std::string head = before == '~' ? std::string(without_last(g, 2)) + "^"
                                                       : std::string(without_last(g, 1));
                split_and_say(head, 0.6);
                say_syllable(std::string{g[n - 3], g[n - 1], g[n - 2]}, factor);
                return;
            }
        }
        if (g != "_s" && last == 's') {
            split_and_say(without_last(g, 1), 0.7);
            say_syllable("s", factor);
            return;
        }
        say_syllable(g, factor);
    }

    void say_syllable(std::string_view s, double factor) {
        s = s.substr(0, max_name_chars);
        std::string name = "$";
        bool carried_stress = false;
        if (s[0] == '_') {
            name = "_";
            if (s.size() > 1) name += std::to_string(static_cast<unsigned char>(s[1]));
        } else {
            for (const char c : s) {
                if (is_stressed_vowel(c)) {
                    mode_ = StressMode::stressed;
                    carried_stress = true;
                }
                if (c == '^') {
                    say_unit(name + "CIRC", mode_, factor, true);
                    name = "$";
                } else if (c == '~') {
                    say_unit(name + "TIL", mode_, factor, true);
                    name = "$";
                } else if (name.size() < max_name_chars) {
                    name.push_back(c);
                }
            }
        }
        if (name != "$") say_unit(name, mode_, factor, true);
        if (carried_stress) mode_ = StressMode::after_stress;
    }

    void say_unit(std::string_view unit, StressMode mode, double factor, bool requested) {
        const std::string u(unit.substr(0, max_name_chars));
        const bool found =
            u[0] == '_' ? player_.play_letter_sound(u) : player_.play_unit(u, mode, factor);
        if (stats_) {
            ++stats_->fetches;
            if (!found) ++stats_->missing;
            if (requested) {
                ++stats_->requested;
                if (found) ++stats_->found;
            }
        }
        if (found) return;
        if (u.size() <= 2) {
            player_.append_noise();
            if (stats_) ++stats_->noise;
            return;
        }
        const char last = u.back();
        const std::string_view name(u);
        if (is_unit_vowel(last)) {
            say_unit(without_last(name, 1), mode, 0.9 * factor, false);
            say_unit(std::string("$") + last, mode, factor, false);
        } else if (name.ends_with("CIRC") && u.size() > 6) {
            say_unit(without_last(name, 5), mode, 0.9 * factor, false);
            say_unit("$" + u.substr(u.size() - 5), mode, factor, false);
        } else if (name.ends_with("TIL")) {
            const std::string v(without_last(name, 3));
            const char v_last = v.empty() ? '\0' : v.back();
            if (v_last == 'I' || v_last == 'i' || v_last == 'U' || v_last == 'u')
                say_unit(v, mode, 0.9 * factor, false);
            else
                say_unit(v + "CIRC", StressMode::stressed, 0.9 * factor, false);
            say_unit("$nn", StressMode::before_stress, 0.9, false);
        }
        // Anything else missing plays nothing.
    }

    std::string_view text_;
    bool no_pause_;
    UnitPlayer& player_;
    UnitStats* stats_;
    size_t position_ = 0;
    StressMode mode_ = StressMode::before_stress;
};

}  // namespace

void speak_phonemes(std::string_view phonemes, bool no_pause, int word_silence, UnitPlayer& player,
                    UnitStats* stats) {
    Speaker(phonemes, no_pause, player, stats).speak(word_silence);
}

}  // namespace diphone
