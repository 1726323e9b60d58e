#include "vedra/transcribe.h"

#include <utility>

#include "vedra/text_chars.h"

namespace vedra {
namespace {

std::string_view as_text(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool in(char c, std::string_view set) {
    return c != '\0' && set.find(c) != set.npos;
}

// The context classes, on upper-case letters (words are matched upper-cased).
bool is_back_vowel(char c) {
    return in(upper_case(c), "AO\xC1\xC2\xD3\xD4");
}
bool is_front_vowel(char c) {
    return in(upper_case(c), "EI\xC9\xCD");
}
bool is_liquid(char c) {
    return in(upper_case(c), "LR");
}
bool is_sonorant(char c) {
    return in(upper_case(c), "LMNRZ");
}
bool is_final_s_class(char c) {
    return in(upper_case(c), "NRS");
}

// The left context is read from its last symbol back; k is the 1-based
// position of the letter before the centre (0: before the word).
bool left_matches(std::string_view context, std::string_view word, size_t k) {
    for (size_t i = context.size(); i-- > 0;) {
        const char symbol = context[i];
        const char letter = k >= 1 ? word[k - 1] : '\0';
        switch (symbol) {
            case '#':
                if (k < 1 || !is_vowel_letter(letter)) return false;
                --k;
                break;
            case ']':
                if (k < 1 || !is_back_vowel(letter)) return false;
                --k;
                break;
            case '_':
                if (k == 0) break;
                if (!is_vowel_letter(letter)) return false;
                --k;
                break;
            case '|':
                if (k < 1 || !is_final_s_class(letter)) return false;
                --k;
                break;
            case '%':
                if (k != 0) return false;
                break;
            default:
                if (k < 1 || letter != symbol) return false;
                --k;
                break;
        }
    }
    return true;
}

// The right context is read from its first symbol; k is the 1-based position
// of the letter after the centre (length + 1: after the word).
bool right_matches(std::string_view context, std::string_view word, size_t k) {
    const size_t length = word.size();
    for (const char symbol : context) {
        const bool inside = k <= length;
        const char letter = inside ? word[k - 1] : '\0';
        switch (symbol) {
            case '#':
                if (!inside || !is_vowel_letter(letter)) return false;
                ++k;
                break;
            case '+':
                if (!inside || !is_front_vowel(letter)) return false;
                ++k;
                break;
            case '&':
                if (!inside || !is_sonorant(letter)) return false;
                ++k;
                break;
            case '\\':
                if (inside && letter == 'S') ++k;
                break;
            case '*':
                if (!inside || !is_consonant_letter(letter) || is_liquid(letter)) return false;
                break;
            case '[':
                if (inside && (!is_consonant_letter(letter) || letter == 'H')) return false;
                break;
            case '%':
                if (inside) return false;
                break;
            default:
                if (!inside || letter != symbol) return false;
                ++k;
                break;
        }
    }
    return true;
}

// The rule that applies at the 1-based position p, or nullptr.
const Rule* choose_rule(const RuleTable& rules, std::string_view word, size_t p) {
    for (const Rule& rule : rules.bucket(static_cast<uint8_t>(word[p - 1]))) {
        const std::string& centre = rule.match;
        if (centre.size() > word.size() - (p - 1)) continue;
        if (word.compare(p - 1, centre.size(), centre) != 0) continue;
        if (!left_matches(rule.left, word, p - 1)) continue;
        if (!right_matches(rule.right, word, p + centre.size())) continue;
        return &rule;
    }
    return nullptr;
}

// The pause marker line of a punctuation token; "" for a blank.
std::string pause_marker(char c) {
    if (c == ' ') return "";
    return std::string("_") + c;
}

}  // namespace

void parse_rules(std::string_view content, RuleTable& rules) {
    diphone::for_each_line(content, [&](std::string_view line) {
        // Lines with no centre (blank lines, lines without "(") are not stored.
        if (!line.starts_with(';')) rules.add(diphone::parse_rule_line(line));
        return true;
    });
}

bool load_rules(host::Files& files, std::string_view path, RuleTable& rules) {
    rules.clear();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse_rules(as_text(bytes), rules);
    return true;
}

void free_rules(RuleTable& rules) {
    rules.clear();
}

size_t find_stress(std::string_view word) {
    const std::string w = lower_case(word);
    const size_t length = w.size();
    // An acute, grave or circumflex accent marks the stress; a tilde only
    // when there is none of those (órgão, bênção are stressed on the first).
    for (const std::string_view accented :
         {"\xE0\xE1\xE2\xE9\xEA\xED\xF3\xF4\xFA", "\xE3\xF5"})  // à á â é ê í ó ô ú, ã õ
        for (size_t p = length; p >= 1; --p)
            if (in(w[p - 1], accented)) return p;
    if (w.find_first_of("aeiouwy\xFC") == w.npos) return 0;

    enum class State {
        start,
        final_vowel,
        seek_penult,
        penult_iu,
        u_before_final,
        u_before_penult,
        final_u,
        final_i,
        u_before_final_i,
        final_consonant,
        final_m,
    };
    State state = State::start;
    size_t stressed = 0;
    for (size_t p = length; p >= 1; --p) {
        const char c = w[p - 1];
        switch (state) {
            case State::start:
                if (in(c, "aeo")) {
                    stressed = p;
                    state = State::final_vowel;
                } else if (c == 'u') {
                    stressed = p;
                    state = State::final_u;
                } else if (c == 'i') {
                    stressed = p;
                    state = State::final_i;
                } else if (c == 'm') {
                    state = State::final_m;
                } else if (c != 's') {
                    state = State::final_consonant;
                }
                break;
            case State::final_vowel:
                if (c == 'u') {
                    state = State::u_before_final;
                } else if (c == 'i' && p > 1 && in(w[p - 2], "aeo")) {
                    // An unaccented i between vowels is a glide (praia, meio,
                    // ideia): a stressed i there would carry an accent (saída).
                    return p - 1;
                } else if (in(c, "aeiowy\xFC")) {
                    return p;
                } else {
                    state = State::seek_penult;
                }
                break;
            case State::seek_penult:
                if (in(c, "aeo")) return p;
                if (in(c, "iu")) {
                    stressed = p;
                    state = State::penult_iu;
                }
                break;
            case State::penult_iu:
                if (in(c, "aeo")) return p;
                if (c != 'u') return stressed;
                state = State::u_before_penult;
                break;
            case State::u_before_final:
                if (in(c, "gq")) {
                    stressed = p + 2;
                    state = State::seek_penult;
                    break;
                }
                return p + 1;
            case State::u_before_penult:
            case State::u_before_final_i:
                return in(c, "gq") ? p + 2 : p + 1;
            case State::final_u:
                return in(c, "aeio") ? p : stressed;
            case State::final_i:
                if (in(c, "aeo")) {
                    stressed = p;
                } else if (c == 'u') {
                    state = State::u_before_final_i;
                } else {
                    return stressed;
                }
                break;
            case State::final_consonant:
                if (in(c, "aeiouwy\xFC")) return p;
                break;
            case State::final_m:
                if (in(c, "iou")) return p;
                if (in(c, "ae")) {
                    stressed = p;
                    state = State::final_vowel;
                } else {
                    state = State::start;
                }
                break;
        }
    }
    return stressed;
}

bool is_unstressed_word(std::string_view word) {
    if (word.size() < 3) return true;
    for (const std::string_view w : {"POR", "DAS", "DOS", "COM", "N\xC3O", "SIM"})
        if (word == w) return true;
    return false;
}

void transcribe_word(std::string_view word, size_t stressed, const RuleTable& rules,
                     PhonemeScript& script) {
    std::string pending;
    bool marked = stressed < 1;  // no stressed letter: no mark to place
    size_t p = 1;
    while (p <= word.size()) {
        const Rule* rule = choose_rule(rules, word, p);
        if (!rule) {
            ++p;
            continue;
        }
        for (const char c : rule->output) {
            if (!marked && p >= stressed) {
                pending += '>';
                marked = true;
            }
            if (c == '&') {
                script.push_back(std::move(pending));
                pending.clear();
            } else {
                pending += c;
            }
        }
        if (!rule->output.empty()) {
            script.push_back(std::move(pending));
            pending.clear();
        }
        p += rule->match.size();
    }
    script.push_back(std::move(pending));
}

PhonemeScript transcribe(const TokenList& tokens, const RuleTable& rules,
                         const ExceptionTable& exceptions) {
    PhonemeScript script;
    for (const std::string& item : tokens) {
        script.push_back(";" + item);
        std::string token = item.size() > 4 ? upper_case(std::string_view(item).substr(4)) : "";
        if (token.empty()) {
            script.push_back("__");
            script.push_back("");
        } else if (in(token[0], " !(),.:;?")) {
            if (token[0] != ' ') script.push_back(pause_marker(token[0]));
        } else {
            apply_exception(exceptions, token);
            const size_t stressed = is_unstressed_word(token) ? 0 : find_stress(token);
            transcribe_word(token, stressed, rules, script);
        }
    }
    script.push_back("__");
    link_words(script);
    return script;
}

void link_words(PhonemeScript& script) {
    if (script.size() < 5) return;
    for (size_t i = 3; i + 1 < script.size(); ++i) {
        if (!script[i].starts_with(';')) continue;
        std::string_view next = script[i + 1];
        // The next word's first phoneme, without its stress and "¨" marks: a
        // stressed vowel links as well as an unstressed one (os outros).
        if (next.starts_with('>')) next.remove_prefix(1);
        if (next.starts_with('\xA8')) next.remove_prefix(1);
        if (!next.empty() && in(next[0], "aeiouwy")) {
            std::string& last = script[i - 2];
            if (last == "r2")
                last = "r";
            else if (last == "s2")
                last = "z";
        }
        ++i;  // the inspected line is not a comment of its own
    }
}

}  // namespace vedra
