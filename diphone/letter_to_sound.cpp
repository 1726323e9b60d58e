#include "diphone/letter_to_sound.h"

#include <array>

namespace diphone {
namespace {

// A character of the word, or `none` outside it.
constexpr int none = -1;

bool is_one_of(int c, std::string_view set) {
    return c > 0 && c < 256 && set.find(static_cast<char>(c)) != std::string_view::npos;
}

bool is_vowel(int c) {
    return is_one_of(c, "aeiouAEIOU");
}

bool is_consonant(int c) {
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    return c >= 'a' && c <= 'z' && !is_vowel(c);
}

bool is_letter(int c) {
    return is_vowel(c) || is_consonant(c);
}

bool is_mark(int c) {
    return c == '\'' || c == '"' || c == '^' || c == '`' || c == '~';
}

bool is_word_char(int c) {
    return is_letter(c) || is_mark(c);
}

bool is_punctuation(int c) {
    return c == ' ' || c == '!' || c == ',' || c == '.' || c == ':' || c == ';' || c == '?';
}

bool is_front_vowel(int c) {
    return c == 'E' || c == 'I' || c == 'e' || c == 'i';
}

bool is_open_vowel(int c) {
    return c == 'A' || c == 'O' || c == 'a' || c == 'o';
}

bool is_vowel_or_mark(int c) {
    return is_vowel(c) || is_mark(c);
}

char to_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char to_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The word with positions 1..n, as the algorithms count them.
class Word {
public:
    explicit Word(std::string_view text) : text_(text) {}
    ptrdiff_t size() const { return static_cast<ptrdiff_t>(text_.size()); }
    bool inside(ptrdiff_t p) const { return p >= 1 && p <= size(); }
    int at(ptrdiff_t p) const {
        return inside(p) ? static_cast<unsigned char>(text_[static_cast<size_t>(p - 1)]) : none;
    }
    int upper_at(ptrdiff_t p) const {
        return inside(p) ? static_cast<unsigned char>(to_upper(text_[static_cast<size_t>(p - 1)]))
                         : none;
    }

private:
    std::string_view text_;
};

// The accent table, built once: index code - 128.
struct AccentTable {
    std::array<std::string_view, 128> replacement{};
    AccentTable() {
        struct Row {
            std::string_view text;
            std::initializer_list<int> codes;
        };
        const Row rows[] = {
            {"ss", {128, 135, 199, 231}},  // the cedilla, already as "ss"
            {"a'", {134, 143, 160, 193, 225}},
            {"a`", {133, 192, 224}},
            {"a^", {131, 194, 226}},
            {"a~", {132, 142, 195, 196, 227, 228}},
            {"a", {197, 229}},
            {"ae", {145, 198, 230}},
            {"e'", {130, 144, 201, 233}},
            {"e`", {138, 200, 232}},
            {"e^", {136, 202, 234}},
            {"e\"", {137, 203, 235}},
            {"i'", {161, 205, 237}},
            {"i`", {141, 204, 236}},
            {"i^", {140, 206, 238}},
            {"i\"", {139, 207, 239}},
            {"o'", {162, 211, 243}},
            {"o`", {149, 210, 214, 242, 246}},
            {"o^", {147, 212, 244}},
            {"o~", {148, 153, 213, 245}},
            {"u'", {163, 218, 250}},
            {"u`", {151, 217, 249}},
            {"u^", {150, 219, 251}},
            {"u\"", {129, 154}},
            {"u", {220, 252}},
            {"nh", {164, 165, 209, 241}},
            {"y-", {152}},
            {"-", {146}},
            {"x", {215, 247}},
            {"0", {216, 248}},
            {"?", {168, 191}},
            {"!", {173}},
            {"\"", {174, 175}},
            {"\xA7", {167}},  // section sign
            {"\xAA", {171}},  // feminine ordinal
            {"\xBA", {187}},  // masculine ordinal
        };
        for (const auto& row : rows)
            for (const int code : row.codes)
                replacement[static_cast<size_t>(code - 128)] = row.text;
    }
};

const AccentTable& accent_table() {
    static const AccentTable table;
    return table;
}

// One word as read from the normalised text.
struct ReadWord {
    std::string text;
    int vowel_count = 0;
    bool has_mark = false;
};

// Takes the next word from `text` at `pos`; false at the end of the text.
// A run of word characters longer than the word buffer is split: the first
// 256 characters form one word and the rest is read as the next, so no
// letter of an over-long run is lost.
bool next_word(std::string_view text, size_t& pos, ReadWord& word) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) return false;
    word = ReadWord{};
    const char first = to_lower(text[pos]);
    if (!is_letter(static_cast<unsigned char>(first))) {
        word.text.push_back(first);
        ++pos;
        return true;
    }
    while (pos < text.size() && word.text.size() < word_buffer_chars) {
        const char c = to_lower(text[pos]);
        const int code = static_cast<unsigned char>(c);
        if (!is_word_char(code)) break;
        word.text.push_back(c);
        if (is_vowel(code)) ++word.vowel_count;
        if (c == '\'' || c == '^' || c == '`' || c == '~') word.has_mark = true;
        ++pos;
    }
    return true;
}

bool left_context_fits(std::string_view context, const Word& w, ptrdiff_t cursor) {
    for (size_t k = context.size(); k-- > 0;) {
        const char symbol = context[k];
        const int c = w.at(cursor);
        switch (symbol) {
            case '#':
                if (!is_vowel_or_mark(c)) return false;
                while (is_vowel_or_mark(w.at(cursor))) --cursor;
                break;
            case '%':
                if (w.inside(cursor)) return false;
                break;
            case ']':
                if (is_open_vowel(c))
                    cursor -= 1;
                else if (is_mark(c) && is_open_vowel(w.at(cursor - 1)))
                    cursor -= 2;
                else
                    return false;
                break;
            case '_':
                if (cursor < 1) break;
                if (is_vowel(c))
                    cursor -= 1;
                else if (is_mark(c) && is_vowel(w.at(cursor - 1)))
                    cursor -= 2;
                else
                    return false;
                break;
            case '|':
                if (!is_one_of(c, "nrs")) return false;
                cursor -= 1;
                break;
            default:
                if (w.upper_at(cursor) != static_cast<unsigned char>(symbol)) return false;
                cursor -= 1;
        }
    }
    return true;
}

bool right_context_fits(std::string_view context, const Word& w, ptrdiff_t cursor) {
    for (const char symbol : context) {
        const int c = w.at(cursor);
        switch (symbol) {
            case '#':
                if (!is_vowel_or_mark(c)) return false;
                while (is_vowel_or_mark(w.at(cursor))) ++cursor;
                break;
            case '%':
                if (w.inside(cursor)) return false;
                break;
            case '*':
                if (!is_consonant(c) || c == 'r' || c == 'l') return false;
                break;
            case '+':
                if (!is_front_vowel(c)) return false;
                cursor += is_mark(w.at(cursor + 1)) ? 2 : 1;
                break;
            case '&':
                if (!is_one_of(c, "lnmrz")) return false;
                cursor += 1;
                break;
            case '[':
                if (w.inside(cursor) && !(is_consonant(c) && c != 'h')) return false;
                break;
            case '\\':
                if (c == 's') cursor += 1;
                break;
            default:
                if (w.upper_at(cursor) != static_cast<unsigned char>(symbol)) return false;
                cursor += 1;
        }
    }
    return true;
}

bool rule_fires(const Rule& rule, const Word& w, ptrdiff_t p) {
    const auto length = static_cast<ptrdiff_t>(rule.match.size());
    for (ptrdiff_t k = 0; k < length; ++k)
        if (w.upper_at(p + k) != static_cast<unsigned char>(rule.match[static_cast<size_t>(k)]))
            return false;
    return left_context_fits(rule.left, w, p - 1) && right_context_fits(rule.right, w, p + length);
}

bool spelled(std::string_view word) {
    if (!word.empty() && word[0] == '\x01') return true;
    for (const char c : word) {
        const int code = static_cast<unsigned char>(c);
        if (!is_consonant(code) && !is_punctuation(code)) return false;
    }
    return true;
}

}  // namespace

std::string_view accent_replacement(unsigned char code) {
    if (code < 128) return {};
    return accent_table().replacement[code - 128];
}

std::string normalise_text(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        // The left neighbour is the text as changed so far; the right one is
        // not changed yet.
        const int left = out.empty() ? none : static_cast<unsigned char>(out.back());
        const int right = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : none;
        const bool letter_beside = is_letter(left) || is_letter(right);
        if ((c == 'W' || c == 'w') && letter_beside) c = 'u';
        if ((c == 'Y' || c == 'y') && letter_beside) c = 'i';
        if (c == '\'' && (left == 'D' || left == 'd')) continue;
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code < 128) {
            out.push_back(c);
            continue;
        }
        const std::string_view replacement = accent_replacement(code);  // empty below 32
        if (replacement.empty())
            out.append(" \x01 ");
        else
            out.append(replacement);
    }
    return out;
}

void mark_stress(std::string& word, int vowel_count, bool has_mark) {
    if (has_mark || vowel_count == 0) return;
    if (vowel_count == 1 && (word.empty() || word.back() != 'l')) return;

    // The scan from the last character towards the first:
    //   EndOfWord  --a e o--> BeforeLast  --i u--> AfterIU  --l n r x z--> AfterLNRXZ
    //              --m--> AfterM  --s--> AfterS
    //   AfterLNRXZ --vowel--> select it
    //   AfterM     --a e--> BeforeLast  --i u--> AfterIU  --o--> select it
    //   AfterS     --a e o--> BeforeLast  --i u--> AfterIU
    //   AfterIU    --any--> select it or the i/u after it
    //   BeforeLast --a e o--> select it  --i u--> IUBeforeLast
    //   IUBeforeLast --any--> select it or the i/u after it; the silent u of
    //                "gue"/"que" goes back to BeforeLast
    // Anything not listed leaves the state as it is.
    enum class Scan {
        end_of_word,
        after_lnrxz,
        after_m,
        after_iu,
        after_s,
        before_last,
        iu_before_last
    };
    const Word w(word);
    Scan state = Scan::end_of_word;
    for (ptrdiff_t i = w.size(); i >= 1; --i) {
        const int c = w.at(i);
        ptrdiff_t selected = 0;
        switch (state) {
            case Scan::end_of_word:
                if (is_one_of(c, "aeo"))
                    state = Scan::before_last;
                else if (is_one_of(c, "iu"))
                    state = Scan::after_iu;
                else if (is_one_of(c, "lnrxz"))
                    state = Scan::after_lnrxz;
                else if (c == 'm')
                    state = Scan::after_m;
                else if (c == 's')
                    state = Scan::after_s;
                break;
            case Scan::after_lnrxz:
                if (is_vowel(c)) selected = i;
                break;
            case Scan::after_m:
                if (is_one_of(c, "ae"))
                    state = Scan::before_last;
                else if (is_one_of(c, "iu"))
                    state = Scan::after_iu;
                else if (c == 'o')
                    selected = i;
                break;
            case Scan::after_s:
                if (is_one_of(c, "aeo"))
                    state = Scan::before_last;
                else if (is_one_of(c, "iu"))
                    state = Scan::after_iu;
                break;
            case Scan::before_last:
                if (is_one_of(c, "aeo"))
                    selected = i;
                else if (is_one_of(c, "iu"))
                    state = Scan::iu_before_last;
                break;
            case Scan::after_iu: {
                // A consonant c, or the silent u of "gu"/"qu" (as before the last
                // vowel), leaves the stress on the final i/u: "aquI", not "aqUi".
                const bool on_iu = is_consonant(c) || (c == 'u' && is_one_of(w.at(i - 1), "gq"));
                selected = on_iu ? i + 1 : i;
                break;
            }
            case Scan::iu_before_last: {
                // The u of "gue"/"gui"/"que"/"qui" is silent: it belongs to the
                // consonant, and the stress goes on to the vowel before it
                // ("pAguem", "cErque"), never to a letter that is not heard.
                if (is_one_of(c, "gq") && w.at(i + 1) == 'u' && is_one_of(w.at(i + 2), "ei")) {
                    state = Scan::before_last;
                    break;
                }
                const int e = w.at(i + 2);
                const int f = w.at(i + 3);
                const bool closed =
                    is_one_of(e, "lmnrz") && ((e == 'n' && f == 'h') || (e == 'r' && f == 'r') ||
                                              (is_consonant(f) && f != 'h'));
                const bool on_iu =
                    is_consonant(c) || (c == 'u' && is_one_of(w.at(i - 1), "gq")) || closed;
                selected = on_iu ? i + 1 : i;
                break;
            }
        }
        if (selected != 0) {
            char& s = word[static_cast<size_t>(selected - 1)];
            s = to_upper(s);
            return;
        }
    }
}

std::string respell_word(const ExceptionTable& exceptions, std::string_view word) {
    std::string stem(word);
    std::string suffix;
    for (;;) {
        if (const std::string* respelling = exceptions.find(stem)) return *respelling + suffix;
        if (stem.empty() || (stem.back() != 's' && stem.back() != 'm')) break;
        suffix.insert(suffix.begin(), stem.back());
        stem.pop_back();
        if (stem.empty()) break;
    }
    return std::string(word);
}

std::string apply_rules(const RuleTable& rules, std::string_view text) {
    const Word w(text);
    std::string out = "[";
    ptrdiff_t p = 1;
    while (p <= w.size()) {
        const int c = w.at(p);
        const auto b = static_cast<uint8_t>(w.upper_at(p));
        const Rule* fired = nullptr;
        for (const Rule& rule : rules.bucket(b)) {
            if (rule_fires(rule, w, p)) {
                fired = &rule;
                break;
            }
        }
        const size_t start = out.size();
        if (fired) {
            out.append(fired->output);
        } else {
            out.append(" /_");
            out.push_back(static_cast<char>(b));
        }
        if (is_one_of(c, "AEIOU")) {
            for (size_t k = start; k < out.size(); ++k) {
                if (is_vowel(static_cast<unsigned char>(out[k]))) {
                    out[k] = to_upper(out[k]);
                    break;
                }
            }
        }
        p += fired ? static_cast<ptrdiff_t>(fired->match.size()) : 1;
        if (p <= w.size()) out.push_back('/');
    }
    out.push_back(']');
    return out;
}

std::string convert_to_phonemes(const Lexicon& lexicon, std::string_view text) {
    const std::string normal = normalise_text(text);
    std::string out;
    size_t pos = 0;
    ReadWord read;
    while (next_word(normal, pos, read)) {
        std::string word = respell_word(lexicon.exceptions, read.text);
        // A respelling with its peeled suffix is held in the same buffer.
        if (word.size() > word_buffer_chars) word.resize(word_buffer_chars);
        mark_stress(word, read.vowel_count, read.has_mark);
        // An empty respelling counts as spelled and so says nothing.
        if (spelled(word)) {
            for (const char c : word) {
                out.append("[ /_");
                out.push_back(c);
                out.push_back(']');
            }
            continue;
        }
        out.append(apply_rules(lexicon.rules, word));
    }
    return out;
}

}  // namespace diphone
