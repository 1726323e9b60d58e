#include "tools/gen/mbrola_db.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "tools/gen/audio.h"

namespace gen {
namespace {

// Slow and flat: long steady middles to cut in, and one known pitch so that
// the pitch marks fall every period. The pitch (about 119 Hz) is near the
// melody VEDRA asks for, so that periods are seldom repeated or dropped.
const VoiceStyle kCarrierStyle{120, 75, 0};
constexpr double kPadMs = 40;  // silence kept on the pause side of "_x" and "x_"

bool is_vowel(const std::string& s) {
    return !s.empty() && std::string("aeEioOu").find(s[0]) != std::string::npos;
}
// The reduced final vowels: said unstressed, as at the end of a word.
bool is_reduced(const std::string& s) {
    return s == "a@" || s == "i@" || s == "u@";
}
bool is_unvoiced_stop(const std::string& s) {
    return s == "p" || s == "t" || s == "k" || s == "tS";
}
bool is_voiced_stop(const std::string& s) {
    return s == "b" || s == "d" || s == "g" || s == "dZ";
}

// The voice closes a nasal vowel with a velar nasal before a consonant, and
// at the end of a word except after a; not before a vowel, a glide or nh.
std::string espeak_before(const std::string& x, const std::string& y) {
    const std::string said = espeak_phoneme(x);
    const bool open = is_vowel(y) || y == "w" || y == "y" || y == "J" || (x == "a~" && y == "_");
    const size_t blank = said.find(' ');
    return open && blank != std::string::npos ? said.substr(0, blank) : said;
}

std::string strip(std::string name) {
    // Variants the voice marks on a name: ";" (palatal), "-" (before a syllable break).
    name.erase(
        std::remove_if(name.begin(), name.end(), [](char c) { return c == ';' || c == '-'; }),
        name.end());
    return name;
}

double rms(const std::vector<float>& x, long from, long to) {
    from = std::max(0L, from);
    to = std::min<long>(static_cast<long>(x.size()), to);
    if (to <= from) return 0;
    double e = 0;
    for (long i = from; i < to; ++i) e += double(x[i]) * x[i];
    return std::sqrt(e / double(to - from));
}

// Pitch marks over a whole carrier: at the waveform peak of each period
// where the signal repeats at the recorded period, every period elsewhere.
std::vector<mbrola::Mark> pitch_marks(const std::vector<float>& x, double period) {
    std::vector<mbrola::Mark> marks;
    const long n = static_cast<long>(x.size());
    const long lag = std::lround(period);
    // Voiced where a lag near the period repeats the signal (the voice's
    // flat pitch still moves a little with stress).
    auto voiced_at = [&](long at) {
        if (rms(x, at - lag, at + lag) < 0.01) return false;
        for (long l = lag * 85 / 100; l <= lag * 115 / 100; ++l) {
            const long from = std::max(0L, at - lag), to = std::min(n - l, at + lag);
            if (to - from < lag / 2) continue;
            double xy = 0, xx = 0, yy = 0;
            for (long i = from; i < to; ++i) {
                xy += double(x[i]) * x[i + l];
                xx += double(x[i]) * x[i];
                yy += double(x[i + l]) * x[i + l];
            }
            if (xx > 0 && yy > 0 && xy / std::sqrt(xx * yy) > 0.5) return true;
        }
        return false;
    };
    auto peak = [&](long from, long to) {
        from = std::max(0L, from);
        to = std::min(n, to);
        long best = from;
        for (long i = from; i < to; ++i)
            if (x[i] > x[best]) best = i;
        return best;
    };
    double at = 0;
    bool previous_voiced = false;
    long previous = -1;
    while (at < n) {
        long mark = std::lround(at);
        const bool voiced = voiced_at(mark);
        if (voiced) {
            mark = previous_voiced ? peak(previous + std::lround(0.8 * period),
                                          previous + std::lround(1.2 * period) + 1)
                                   : peak(mark, mark + lag);
        }
        if (mark <= previous) mark = previous + 1;
        if (mark >= n) break;
        marks.push_back({static_cast<uint32_t>(mark), voiced});
        previous = mark;
        previous_voiced = voiced;
        at = mark + period;
    }
    return marks;
}

struct Cut {
    std::vector<float> samples;
    uint32_t boundary = 0;
    std::vector<mbrola::Mark> marks;
};

// Where each phoneme of a carrier starts (16 kHz samples), matched to the
// voice's phoneme events; voiceless stops start at their silent closure.
// `seconds` holds where a symbol's second phoneme starts (-1 when it has one).
bool phoneme_starts(const Utterance& u, const std::vector<float>& x,
                    const std::vector<std::string>& phonemes, std::vector<long>& starts,
                    std::vector<long>& events, std::vector<long>& seconds, long& end,
                    std::string& error) {
    const double scale = double(kDiphoneRateHz) / u.audio.rate_hz;
    size_t next = 0;
    starts.clear();
    events.clear();
    seconds.clear();
    for (const std::string& ph : phonemes) {
        // A symbol the voice says as several phonemes spans all of them.
        std::istringstream parts(ph);
        std::string part;
        bool first = true;
        seconds.push_back(-1);
        while (parts >> part) {
            while (next < u.phonemes.size() && strip(u.phonemes[next].name) != part) ++next;
            if (next == u.phonemes.size()) {
                error = "the voice did not say " + part;
                return false;
            }
            const long at = std::lround(u.phonemes[next].sample * scale);
            if (first)
                events.push_back(at);
            else if (seconds.back() < 0)
                seconds.back() = at;
            first = false;
            ++next;
        }
    }
    // The carrier ends where the next event (the final pause) starts.
    end = next < u.phonemes.size() ? std::lround(u.phonemes[next].sample * scale)
                                   : static_cast<long>(x.size());
    const long frame = kDiphoneRateHz / 200;
    for (size_t i = 0; i < phonemes.size(); ++i) {
        long start = events[i];
        if (is_unvoiced_stop(phonemes[i])) {
            const long floor = i > 0 ? events[i - 1] : 0;
            while (start - frame > floor && rms(x, start - frame, start) < 0.012) start -= frame;
        }
        starts.push_back(start);
    }
    return true;
}

long cut_point(const std::string& symbol, long start, long event, long second, long end) {
    if (is_unvoiced_stop(symbol)) return (start + event) / 2;  // inside the closure
    // In the vowel of a nasal vowel: its nasal belongs to the diphone after it.
    if (second > start) return (start + second) / 2;
    if (is_voiced_stop(symbol)) return start + (end - start) * 35 / 100;
    return (start + end) / 2;
}

}  // namespace

std::string espeak_phoneme(const std::string& symbol) {
    static const std::map<std::string, std::string> table = {
        {"a", "a"},
        {"e", "e"},
        {"E", "E"},
        {"i", "i"},
        {"o", "o"},
        {"O", "O"},
        {"u", "u"},
        {"a@", "&"},
        {"i@", "y"},
        {"u@", "U"},
        // Nasal vowels as the voice says them inside a word: the vowel, then
        // a velar nasal.
        {"a~", "&~ N"},
        {"e~", "eI N"},
        {"i~", "i N"},
        {"o~", "o N"},
        {"u~", "u~ N"},
        {"w", "w"},
        {"y", "j"},
        {"j", "j"},
        {"p", "p"},
        {"b", "b"},
        {"t", "t"},
        {"d", "d"},
        {"k", "k"},
        {"g", "g"},
        {"f", "f"},
        {"v", "v"},
        {"s", "s"},
        {"z", "z"},
        {"S", "S"},
        {"Z", "Z"},
        {"m", "m"},
        {"n", "n"},
        {"J", "n^"},
        {"l", "l"},
        {"L", "l^"},
        {"r", "*"},
        {"R", "x"},
        {"tS", "tS"},
        {"dZ", "dZ"},
        // The word-final r and s sound as r and s when the voice meets them.
        {"r2", "*"},
        {"s2", "s"},
        {"_", "_"}};
    const auto it = table.find(symbol);
    return it == table.end() ? "" : it->second;
}

std::vector<std::string> read_inventory(const std::string& text) {
    std::vector<std::string> symbols;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string symbol;
        if (!(fields >> symbol) || symbol[0] == '#') continue;
        if (std::find(symbols.begin(), symbols.end(), symbol) == symbols.end())
            symbols.push_back(symbol);
    }
    if (std::find(symbols.begin(), symbols.end(), "_") == symbols.end()) symbols.push_back("_");
    return symbols;
}

double measure_recorded_pitch(Voice& voice) {
    const Samples s = resample(voice.say("[[t'a:a:a:]]", kCarrierStyle).audio, kDiphoneRateHz);
    const std::vector<float>& x = s.data;
    const long n = static_cast<long>(x.size());
    // The middle half of the vowel; the best lag between 60 and 300 Hz.
    const long from = n / 4, to = n * 3 / 4;
    long best_lag = 0;
    double best = -1;
    std::vector<double> score(kDiphoneRateHz / 60 + 2, 0);
    for (long lag = kDiphoneRateHz / 300; lag <= kDiphoneRateHz / 60; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (long i = from; i + lag < to; ++i) {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        score[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
        if (score[lag] > best) {
            best = score[lag];
            best_lag = lag;
        }
    }
    if (best_lag <= 0) return 0;
    // A parabola through the best lag and its neighbours gives the fraction.
    const double a = score[best_lag - 1], b = score[best_lag], c = score[best_lag + 1];
    const double shift = (a - 2 * b + c) != 0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0;
    return kDiphoneRateHz / (best_lag + shift);
}

bool build_diphone_database(Voice& voice, const std::vector<std::string>& symbols,
                            mbrola::Database& db, std::string& error) {
    db = mbrola::Database{};
    db.rate_hz = kDiphoneRateHz;
    db.recorded_pitch_hz = measure_recorded_pitch(voice);
    if (db.recorded_pitch_hz < 50 || db.recorded_pitch_hz > 300) {
        error = "cannot measure the voice's pitch";
        return false;
    }
    const double period = kDiphoneRateHz / db.recorded_pitch_hz;
    for (const std::string& s : symbols) {
        if (espeak_phoneme(s).empty()) {
            error = "no voice phoneme for " + s;
            return false;
        }
    }
    db.phonemes = symbols;
    const long pad = std::lround(kPadMs * kDiphoneRateHz / 1000);
    std::vector<Cut> cuts;
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    // The voice carries some state from one carrier to the next, so the pairs
    // of the reduced vowel are said last: the others come out as without it.
    std::vector<std::pair<size_t, size_t>> order;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t l = 0; l < symbols.size(); ++l)
            for (size_t r = 0; r < symbols.size(); ++r)
                if ((is_reduced(symbols[l]) || is_reduced(symbols[r])) == (pass == 1))
                    order.emplace_back(l, r);
    for (const auto& [l, r] : order) {
        {
            const std::string& x = symbols[l];
            const std::string& y = symbols[r];
            Cut cut;
            if (x == "_" && y == "_") {
                cut.samples.assign(2 * pad, 0.0f);
                cut.boundary = static_cast<uint32_t>(pad);
            } else {
                // "a x y a", with "t" beside a vowel so that vowels do not merge;
                // the stress on the pair's first vowel keeps it full.
                std::vector<std::string> carrier;
                if (x == "_") {
                    carrier.push_back("_:");
                } else if (is_reduced(x)) {
                    // A stressed syllable before it, as in a word's last one.
                    carrier.push_back("a");
                    carrier.push_back("t");
                } else {
                    carrier.push_back(is_vowel(x) ? "t" : "a");
                }
                const size_t first = carrier.size();
                if (x != "_") carrier.push_back(espeak_before(x, y));
                if (y != "_") carrier.push_back(espeak_phoneme(y));
                if (y == "_")
                    carrier.push_back("_:");
                else
                    carrier.push_back(is_vowel(y) ? "t" : "a");
                std::string input = "[[";
                bool stressed = false;
                for (size_t i = 0; i < carrier.size(); ++i) {
                    const bool vowel_here =
                        (i == first && x != "_" && is_vowel(x) && !is_reduced(x)) ||
                        (i == first + (x != "_") && y != "_" && is_vowel(y) && !is_reduced(y)) ||
                        (i == carrier.size() - 1 && carrier[i] == "a") ||
                        (i == 0 && carrier[0] == "a" && (is_reduced(x) || is_reduced(y)));
                    if (!stressed && vowel_here) {
                        input += "'";
                        stressed = true;
                    }
                    // A syllable break keeps the voice from merging two
                    // consonants into one ("t" "s" would become "ts").
                    if (i == first + 1 && x != "_" && y != "_" && !is_vowel(x) && !is_vowel(y))
                        input += "-";
                    // Nor a vowel and a reduced one into a diphthong ("aU").
                    if (i == first + 1 && x != "_" && is_vowel(x) && is_reduced(y)) input += "-";
                    for (char c : carrier[i])
                        if (c != ' ') input += c;
                }
                input += "]]";
                const Utterance u = voice.say(input, kCarrierStyle);
                const Samples s = resample(u.audio, kDiphoneRateHz);
                // Match the spoken phonemes (pauses are not matched: the leading
                // one is where the voice starts anyway).
                std::vector<std::string> spoken;
                for (const std::string& c : carrier)
                    if (c != "_:") spoken.push_back(c);
                std::vector<long> starts, events, seconds;
                long end = 0;
                if (!phoneme_starts(u, s.data, spoken, starts, events, seconds, end, error)) {
                    error = x + "-" + y + ": " + error;
                    return false;
                }
                const size_t xi = (x == "_") ? 0 : first;  // index in `spoken`
                const size_t yi = (x == "_") ? 0 : (y == "_" ? spoken.size() : first + 1);
                long from = 0, to = 0, boundary = 0;
                if (x == "_") {
                    boundary = starts[yi];
                    from = boundary - pad;
                } else {
                    const long x_end = xi + 1 < starts.size() ? starts[xi + 1] : end;
                    from = cut_point(x, starts[xi], events[xi], seconds[xi], x_end);
                    boundary = x_end;
                }
                if (y == "_") {
                    to = boundary + pad;
                } else {
                    const long y_end = yi + 1 < starts.size() ? starts[yi + 1] : end;
                    to = cut_point(y, starts[yi], events[yi], seconds[yi], y_end);
                }
                if (to <= boundary || boundary < from) {
                    error = x + "-" + y + ": phonemes out of order";
                    return false;
                }
                const auto marks = pitch_marks(s.data, period);
                for (long i = from; i < to; ++i)
                    cut.samples.push_back(i >= 0 && i < static_cast<long>(s.data.size()) ? s.data[i]
                                                                                         : 0.0f);
                cut.boundary = static_cast<uint32_t>(boundary - from);
                for (const mbrola::Mark& m : marks)
                    if (long(m.offset) >= from && long(m.offset) < to)
                        cut.marks.push_back(
                            {static_cast<uint32_t>(long(m.offset) - from), m.voiced});
                // The padding outside the recording gets marks of its own.
                if (from < 0) {
                    std::vector<mbrola::Mark> lead;
                    for (double at = 0; at < -from - period / 2; at += period)
                        lead.push_back({static_cast<uint32_t>(std::lround(at)), false});
                    cut.marks.insert(cut.marks.begin(), lead.begin(), lead.end());
                }
            }
            if (x == "_" && y == "_")
                for (double at = 0; at < cut.samples.size(); at += period)
                    cut.marks.push_back({static_cast<uint32_t>(std::lround(at)), false});
            if (cut.marks.empty())
                cut.marks.push_back({static_cast<uint32_t>(cut.samples.size() / 2), false});
            // Marks must rise strictly and stay inside the diphone.
            std::vector<mbrola::Mark> clean;
            for (const mbrola::Mark& m : cut.marks)
                if (m.offset < cut.samples.size() &&
                    (clean.empty() || m.offset > clean.back().offset))
                    clean.push_back(m);
            cut.marks = clean;
            cuts.push_back(std::move(cut));
            pairs.emplace_back(static_cast<uint16_t>(l), static_cast<uint16_t>(r));
        }
    }
    // Back in the order of the pairs.
    std::vector<size_t> by_pair(cuts.size());
    for (size_t i = 0; i < by_pair.size(); ++i) by_pair[i] = i;
    std::sort(by_pair.begin(), by_pair.end(),
              [&](size_t a, size_t b) { return pairs[a] < pairs[b]; });
    {
        std::vector<Cut> sorted_cuts;
        std::vector<std::pair<uint16_t, uint16_t>> sorted_pairs;
        for (size_t i : by_pair) {
            sorted_cuts.push_back(std::move(cuts[i]));
            sorted_pairs.push_back(pairs[i]);
        }
        cuts = std::move(sorted_cuts);
        pairs = std::move(sorted_pairs);
    }
    // Level each phoneme: its edges in every diphone are brought to the
    // phoneme's median level, with a ramp across the diphone.
    const long edge = std::lround(2 * period);
    std::vector<std::vector<double>> levels(symbols.size());
    std::vector<std::pair<double, double>> edges(cuts.size());
    for (size_t i = 0; i < cuts.size(); ++i) {
        const auto& c = cuts[i].samples;
        edges[i] = {rms(c, 0, edge),
                    rms(c, static_cast<long>(c.size()) - edge, static_cast<long>(c.size()))};
        // The reduced vowel's carriers say their other phoneme off the stress:
        // they would pull its level down.
        const bool x_reduced = is_reduced(symbols[pairs[i].first]);
        const bool y_reduced = is_reduced(symbols[pairs[i].second]);
        if (x_reduced || !y_reduced) levels[pairs[i].first].push_back(edges[i].first);
        if (y_reduced || !x_reduced) levels[pairs[i].second].push_back(edges[i].second);
    }
    std::vector<double> median(symbols.size(), 0);
    for (size_t p = 0; p < symbols.size(); ++p) {
        auto v = levels[p];
        if (v.empty()) continue;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        median[p] = v[v.size() / 2];
    }
    auto gain_for = [&](double level, size_t p) {
        if (symbols[p] == "_" || level < 0.005 || median[p] < 0.005) return 1.0;
        return std::clamp(median[p] / level, 0.4, 2.5);
    };
    double peak = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        auto& c = cuts[i].samples;
        const double a = gain_for(edges[i].first, pairs[i].first);
        const double b = gain_for(edges[i].second, pairs[i].second);
        for (size_t k = 0; k < c.size(); ++k) {
            const double t = c.size() > 1 ? double(k) / double(c.size() - 1) : 0;
            c[k] = static_cast<float>(c[k] * (a + (b - a) * t));
            peak = std::max(peak, double(std::fabs(c[k])));
        }
    }
    const double scale = peak > 0 ? 0.9 * 32767 / peak : 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        mbrola::Diphone d;
        d.left = pairs[i].first;
        d.right = pairs[i].second;
        d.first_sample = static_cast<uint32_t>(db.samples.size());
        d.sample_count = static_cast<uint32_t>(cuts[i].samples.size());
        d.boundary = cuts[i].boundary;
        d.first_mark = static_cast<uint32_t>(db.marks.size());
        d.mark_count = static_cast<uint32_t>(cuts[i].marks.size());
        for (float v : cuts[i].samples)
            db.samples.push_back(
                static_cast<int16_t>(std::clamp(std::lround(v * scale), -32768L, 32767L)));
        db.marks.insert(db.marks.end(), cuts[i].marks.begin(), cuts[i].marks.end());
        db.diphones.push_back(d);
    }
    std::ostringstream info;
    info << "Brazilian Portuguese diphones from espeak-ng's pt-br voice, said at "
         << std::lround(db.recorded_pitch_hz) << " Hz";
    db.info = info.str();
    db.build_lookup();
    return true;
}

}  // namespace gen
