#include "tools/gen/bank.h"

#include <algorithm>

namespace gen {
namespace {

bool is_vowel_letter(char c) {
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U';
}
bool is_semivowel(char c) {
    return c == 'W' || c == 'Y';
}

struct Phone {
    std::string voice;  // the voice's phoneme
    bool vowel = false;
};

// Our phoneme letters, as the rules write them, to the voice's phonemes.
std::vector<Phone> parse_letters(const std::string& body, const std::string& suffix) {
    std::vector<Phone> out;
    size_t i = 0;
    auto starts = [&](const char* s) {
        return body.compare(i, std::char_traits<char>::length(s), s) == 0;
    };
    while (i < body.size()) {
        if (starts("TCH")) {
            out.push_back({"tS"});
            i += 3;
            continue;
        }
        if (starts("DJ")) {
            out.push_back({"dZ"});
            i += 2;
            continue;
        }
        if (starts("NH")) {
            out.push_back({"n^"});
            i += 2;
            continue;
        }
        if (starts("LH")) {
            out.push_back({"l^"});
            i += 2;
            continue;
        }
        if (starts("RR")) {
            out.push_back({"x"});
            i += 2;
            continue;
        }
        const char c = body[i++];
        const bool after_vowel = !out.empty() && out.back().vowel;
        switch (c) {
            case 'A':
                out.push_back({"a", true});
                break;
            case 'E':
                out.push_back({"E", true});
                break;
            case 'I':
                out.push_back({"i", true});
                break;
            case 'O':
                out.push_back({"O", true});
                break;
            case 'U':
                out.push_back({"u", true});
                break;
            // semivowels: an off-glide after a vowel, an on-glide before one
            case 'W':
                out.push_back({after_vowel ? "U" : "w", !after_vowel && i == body.size()});
                break;
            case 'Y':
                out.push_back({"y", !after_vowel && i == body.size()});
                break;
            case 'B':
                out.push_back({"b"});
                break;
            case 'C':
            case 'K':
            case 'Q':
                out.push_back({"k"});
                break;
            case 'D':
                out.push_back({"d"});
                break;
            case 'F':
                out.push_back({"f"});
                break;
            case 'G':
                out.push_back({"g"});
                break;
            case 'J':
                out.push_back({"Z"});
                break;
            case 'L':
                out.push_back({"l"});
                break;
            case 'M':
                out.push_back({"m"});
                break;
            case 'N':
                out.push_back({"n"});
                break;
            case 'P':
                out.push_back({"p"});
                break;
            // a single r is the tap between vowels and after a consonant, the
            // soft final r in a coda
            case 'R':
                out.push_back({after_vowel ? "r" : "*"});
                break;
            case 'S':
                out.push_back({"s"});
                break;
            case 'T':
                out.push_back({"t"});
                break;
            case 'V':
                out.push_back({"v"});
                break;
            case 'X':
                out.push_back({"S"});
                break;
            case 'Z':
                out.push_back({"z"});
                break;
            default:
                break;  // h and anything else has no sound of its own
        }
    }
    if (suffix.empty()) return out;
    // The closed or nasal mark belongs to the last vowel (with its glide).
    for (size_t k = out.size(); k-- > 0;) {
        Phone& p = out[k];
        if (p.voice == "U" && k > 0 && out[k - 1].voice == "a" && suffix == "TIL") {
            out[k - 1].voice = "&U~";
            out.erase(out.begin() + static_cast<long>(k));
            break;
        }
        if (!p.vowel) continue;
        static const std::map<std::string, std::pair<std::string, std::string>> kMarked = {
            {"a", {"&", "&~"}},
            {"E", {"e", "e~"}},
            {"i", {"i", "i~"}},
            {"O", {"o", "o~"}},
            {"u", {"u", "u~"}}};
        const auto hit = kMarked.find(p.voice);
        if (hit != kMarked.end())
            p.voice = suffix == "CIRC" ? hit->second.first : hit->second.second;
        break;
    }
    return out;
}

// Splits "$BECIRC" into "BE" and "CIRC" (the mark only counts after a vowel
// or glide).
void split_suffix(const std::string& name, std::string& body, std::string& suffix) {
    body = name.substr(1);
    suffix.clear();
    for (const char* s : {"CIRC", "TIL"}) {
        const size_t n = std::char_traits<char>::length(s);
        if (body.size() > n && body.compare(body.size() - n, n, s) == 0) {
            const char before = body[body.size() - n - 1];
            if (is_vowel_letter(before) || is_semivowel(before)) {
                suffix = s;
                body.resize(body.size() - n);
                return;
            }
        }
    }
}

// The first sample of the quiet stretch (2.5 ms frames below -40 dB) that ends
// at `at`, looking back at most `max` samples.
size_t quiet_start(const std::vector<float>& x, size_t rate, size_t at, size_t max) {
    const size_t frame = std::max<size_t>(1, rate / 400);
    size_t i = at;
    while (i >= frame && at - i + frame <= max) {
        double e = 0;
        for (size_t k = i - frame; k < i; ++k) e += static_cast<double>(x[k]) * x[k];
        if (e / frame > 1e-4) break;
        i -= frame;
    }
    return i;
}

// A unit that ends in a plain, closed or nasal vowel (not a glide or consonant).
bool ends_in_vowel(const std::string& name) {
    auto ends = [&](const char* s) {
        const size_t n = std::char_traits<char>::length(s);
        return name.size() > n + 1 && name.compare(name.size() - n, n, s) == 0;
    };
    return is_vowel_letter(name.back()) || ends("CIRC") || ends("TIL");
}

// "$KATIL", "$OTIL", "$AWTIL": a nasal vowel or nasal diphthong.
bool nasal_unit(const std::string& name) {
    if (name.size() < 5 || name.compare(name.size() - 3, 3, "TIL") != 0) return false;
    const char before = name[name.size() - 4];
    return is_vowel_letter(before) || is_semivowel(before);
}

bool is_coda_consonant(const std::string& p) {
    return p == "s" || p == "r" || p == "l" || p == "m" || p == "n" || p == "z" || p == "S" ||
           p == "x";
}

}  // namespace

std::string unit_phonemes(const std::string& name, bool& has_vowel) {
    has_vowel = false;
    if (name.size() < 2 || name[0] != '$') return "";
    std::string body, suffix;
    split_suffix(name, body, suffix);
    const std::vector<Phone> phones = parse_letters(body, suffix);
    std::string out;
    bool stressed = false;
    for (const Phone& p : phones) {
        if (p.vowel && !stressed) {
            out += "'";
            stressed = true;
        }
        out += p.voice;
    }
    has_vowel = stressed;
    return out;
}

Samples synthesise_unit(Voice& voice, const std::string& name, const VoiceStyle& style) {
    Samples none;
    // The unit is said inside a word, between carrier syllables, so that it
    // has the length and the transitions it has in running speech; it is cut
    // out by the voice's phoneme marks. The carriers' phonemes are counted
    // so that the cut does not depend on how the voice splits the unit.
    std::string prefix = "pa", unit, suffix = "pa";
    size_t prefix_phones = 2, suffix_phones = 2;
    size_t extra_tail_ms = 0;
    if (name == "$NN") {
        // the nasal murmur that follows a nasal vowel
        prefix = "p'&~", prefix_phones = 2;
        unit = "N";
    } else {
        bool has_vowel = false;
        unit = unit_phonemes(name, has_vowel);
        if (unit.empty()) return none;
        if (has_vowel) {
            // a vowel first: the carrier before it is a bare consonant
            if (unit[0] == '\'') prefix = "p", prefix_phones = 1;
            // A nasal vowel or diphthong ends in its nasal murmur, as it does
            // before a consonant in running speech; without it the vowel is
            // heard as an oral one.
            if (nasal_unit(name)) {
                unit += "N";
                suffix = "ta";
            }
        } else {
            // A consonant alone: a coda after a stressed vowel, or an onset
            // before one.
            std::vector<Phone> after = parse_letters("A" + name.substr(1), "");
            after.erase(after.begin());
            if (!after.empty() && is_coda_consonant(after.front().voice)) {
                prefix = "p'a", prefix_phones = 2;
                unit.clear();
                for (const Phone& p : after) unit += p.voice;
                // A coda r is the tap the voice says before a consonant
                // ("perto"); its coda r phoneme alone was understood worse.
                if (unit == "r") unit = "*";
            } else {
                suffix = "'apa", suffix_phones = 3;
                extra_tail_ms = 8;  // the release into the vowel
            }
        }
    }
    Utterance u = voice.say_alone("[[" + prefix + unit + suffix + "]]", style);
    if (u.audio.data.empty()) return none;
    std::vector<size_t> starts;
    for (const PhonemeMark& m : u.phonemes)
        if (!m.name.empty() && m.name[0] != '_') starts.push_back(m.sample);
    if (starts.size() < prefix_phones + suffix_phones + 1) return none;
    const size_t rate = static_cast<size_t>(u.audio.rate_hz);
    size_t begin = starts[prefix_phones];
    size_t end = starts[starts.size() - suffix_phones];
    // The voice marks a voiceless stop at its burst; its silent closure belongs
    // in the unit, or the stop is not heard after the previous unit.
    const std::string first = unit[0] == '\'' ? unit.substr(1) : unit;
    if (!first.empty() && (first[0] == 'p' || first[0] == 't' || first[0] == 'k'))
        begin = quiet_start(u.audio.data, rate, begin, rate * 60 / 1000);
    // The carrier's closure is not part of the unit, and neither is the end of
    // a vowel, which already moves toward the carrier's consonant: joined to
    // any other unit, that movement sounds like a wrong consonant.
    end = std::max(begin + 1, quiet_start(u.audio.data, rate, end, rate * 80 / 1000));
    if (ends_in_vowel(name) && !nasal_unit(name))  // a nasal unit ends in its murmur
        end = std::max(begin + 1, end - std::min(end, rate * 30 / 1000));
    end = std::min(u.audio.data.size(),
                   end + extra_tail_ms * static_cast<size_t>(u.audio.rate_hz) / 1000);
    if (begin >= end) return none;
    Samples cut;
    cut.rate_hz = u.audio.rate_hz;
    cut.data.assign(u.audio.data.begin() + static_cast<long>(begin),
                    u.audio.data.begin() + static_cast<long>(end));
    Samples out = resample(cut, kOutputRateHz);
    fade_edges(out, 16);
    // One gain for every unit, low enough that no unit clips. Levelling each
    // carrier word to one peak instead was tried: it flattened the voice's
    // own loud/soft vowels and understood worse at most speeds.
    for (float& v : out.data) v *= 0.8f;
    return out;
}

void encode_bank(const Bank& bank, std::vector<uint8_t>& index, std::vector<uint8_t>& data) {
    index.clear();
    data.clear();
    for (const auto& [name, samples] : bank.units) {  // std::map: byte-wise order
        if (name.empty() || name.size() > 8) continue;
        const size_t length = std::min<size_t>(samples.size(), 65535);
        const uint32_t offset = static_cast<uint32_t>(data.size());
        index.push_back(static_cast<uint8_t>(name.size()));
        for (size_t i = 0; i < 8; ++i)
            index.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : uint8_t{0});
        index.push_back(static_cast<uint8_t>(length));
        index.push_back(static_cast<uint8_t>(length >> 8));
        for (int i = 0; i < 4; ++i) index.push_back(static_cast<uint8_t>(offset >> (8 * i)));
        data.insert(data.end(), samples.begin(), samples.begin() + static_cast<long>(length));
    }
}

}  // namespace gen
