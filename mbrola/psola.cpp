#include "mbrola/psola.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mbrola {

Synthesizer::Synthesizer(const Database& db) : db_(db), rate_hz_(db.rate_hz) {
    for (size_t i = 0; i < db.phonemes.size(); ++i)
        ids_.emplace(db.phonemes[i], static_cast<int>(i));
    silence_ = db.phoneme_index("_");
}

void Synthesizer::set_rate_hz(uint32_t rate_hz) {
    rate_hz_ = std::clamp<uint32_t>(rate_hz, 8000, 48000);
}

void Synthesizer::add_alias(const std::string& alias, const std::string& name) {
    const int id = db_.phoneme_index(name);
    if (id >= 0 && !alias.empty()) ids_[alias] = id;
}

int Synthesizer::next_id(size_t phone) const {
    return phone + 1 < phones_.size() ? phones_[phone + 1].id : silence_;
}

Synthesizer::Half Synthesizer::left_half(size_t phone) const {
    const int previous = phone > 0 ? phones_[phone - 1].id : silence_;
    const int id = phones_[phone].id;
    Half h;
    h.diphone = db_.find(previous, id);
    if (!h.diphone) h.diphone = db_.find(silence_, id);  // bridged through silence
    if (h.diphone) {
        h.from = h.diphone->boundary;
        h.to = h.diphone->sample_count;
    }
    h.out_from = phones_[phone].start;
    h.out_to = phones_[phone].split;
    return h;
}

Synthesizer::Half Synthesizer::right_half(size_t phone) const {
    const int id = phones_[phone].id;
    Half h;
    h.diphone = db_.find(id, next_id(phone));
    if (!h.diphone) h.diphone = db_.find(id, silence_);
    if (h.diphone) h.to = h.diphone->boundary;
    h.out_from = phones_[phone].split;
    h.out_to = phones_[phone].end;
    return h;
}

void Synthesizer::set_split(size_t phone) {
    Phone& p = phones_[phone];
    p.split = p.start;  // the halves read `split` only for their output range
    const Half a = left_half(phone), b = right_half(phone);
    const double recorded_a = a.to - a.from, recorded_b = b.to - b.from;
    const int64_t length = p.end - p.start;
    p.split = p.start + (recorded_a + recorded_b > 0
                             ? std::llround(length * recorded_a / (recorded_a + recorded_b))
                             : length / 2);
}

double Synthesizer::pitch_at(double t) const {
    if (pitch_.empty()) return db_.recorded_pitch_hz;
    auto after = std::upper_bound(pitch_.begin(), pitch_.end(), t,
                                  [](double v, const auto& p) { return v < p.first; });
    if (after == pitch_.begin()) return after->second;
    if (after == pitch_.end()) return pitch_.back().second;
    const auto before = after - 1;
    const double span = after->first - before->first;
    if (span <= 0) return after->second;
    return before->second + (after->second - before->second) * (t - before->first) / span;
}

Synthesizer::Grain Synthesizer::nearest_mark(const Half& half, double t) const {
    Grain g;
    if (!half.diphone) return g;
    g.diphone = half.diphone;
    double position = half.from;
    if (half.out_to > half.out_from)
        position += (t - half.out_from) * (double(half.to) - half.from) /
                    double(half.out_to - half.out_from);
    const Mark* first = &db_.marks[half.diphone->first_mark];
    const Mark* last = first + half.diphone->mark_count;
    const Mark* at = std::lower_bound(first, last, position,
                                      [](const Mark& m, double v) { return m.offset < v; });
    if (at == last) {
        --at;
    } else if (at != first && position - (at - 1)->offset < at->offset - position) {
        --at;
    }
    // A mark closer than half a period to either end of its recording has no
    // room for its window: the grain would start or stop abruptly (a click).
    const double room = 0.5 * db_.rate_hz / db_.recorded_pitch_hz;
    if (at->offset < room && at + 1 != last) ++at;
    if (double(half.diphone->sample_count) - at->offset < room && at != first) --at;
    g.mark = static_cast<uint32_t>(at - first);
    return g;
}

void Synthesizer::add_grain(const Grain& g, int64_t centre, int64_t left, int64_t right,
                            double gain) {
    if (!g.diphone || gain <= 0) return;
    const Diphone& d = *g.diphone;
    const Mark* marks = &db_.marks[d.first_mark];
    const int64_t c = marks[g.mark].offset;
    // A window wider than the recorded period would take in a neighbouring pulse.
    const int64_t recorded_left = g.mark > 0 ? c - marks[g.mark - 1].offset : left;
    const int64_t recorded_right = g.mark + 1 < d.mark_count ? marks[g.mark + 1].offset - c : right;
    // Nor may it reach past the recording's ends: the grain would stop short.
    const int64_t lh = std::max<int64_t>(1, std::min({left, recorded_left, c + 1}));
    const int64_t rh =
        std::max<int64_t>(1, std::min({right, recorded_right, int64_t(d.sample_count) - c}));
    const int64_t end = centre + rh;
    if (end - acc_base_ > static_cast<int64_t>(acc_.size())) acc_.resize(end - acc_base_, 0.0f);
    const int16_t* samples = &db_.samples[d.first_sample];
    const double scale = gain / 32768.0;
    for (int64_t j = -lh + 1; j < rh; ++j) {
        const int64_t out = centre + j - acc_base_;
        const int64_t in = c + j;
        if (out < 0 || in < 0 || in >= d.sample_count) continue;
        const double w =
            0.5 * (1 + std::cos(std::numbers::pi * double(j) / double(j < 0 ? lh : rh)));
        acc_[out] += static_cast<float>(w * scale * samples[in]);
    }
}

void Synthesizer::generate(int64_t horizon) {
    const double unvoiced_step = std::max(2.0, db_.rate_hz / db_.recorded_pitch_hz);
    while (next_mark_ < horizon) {
        const double t = next_mark_;
        const int64_t centre = std::llround(t);
        while (phone_at_ + 1 < phones_.size() && t >= phones_[phone_at_].end) ++phone_at_;
        const bool first_half = t < phones_[phone_at_].split;
        const Half own = first_half ? left_half(phone_at_) : right_half(phone_at_);
        const Grain g = nearest_mark(own, t);
        const bool voiced = g.diphone && db_.marks[g.diphone->first_mark + g.mark].voiced;
        const double step = std::max(2.0, voiced ? rate_hz_ / pitch_at(t) : unvoiced_step);
        const int64_t right = std::max<int64_t>(1, std::llround(t + step) - centre);
        const int64_t left = previous_step_ > 0 ? previous_step_ : right;
        // No cross-fade of the two diphones at the phoneme's middle: mixing two
        // recordings there blurs the formant movement; the overlapping windows
        // already smooth the switch over one period.
        add_grain(g, centre, left, right, 1.0);
        last_centre_ = centre;
        previous_step_ = right;
        next_mark_ = t + step;
    }
}

void Synthesizer::emit(int64_t upto) {
    if (upto <= acc_base_) return;
    const int64_t count = upto - acc_base_;
    if (static_cast<int64_t>(acc_.size()) < count) acc_.resize(count, 0.0f);
    for (int64_t i = 0; i < count; ++i) {
        const double v = std::clamp(acc_[i] * volume_ * 32767.0, -32768.0, 32767.0);
        ready_.push_back(static_cast<int16_t>(std::lround(v)));
    }
    acc_.erase(acc_.begin(), acc_.begin() + count);
    acc_base_ = upto;
}

void Synthesizer::clear_utterance() {
    phones_.clear();
    pitch_.clear();
    flushed_ = false;
    elapsed_ms_ = 0;
    next_mark_ = 0;
    last_centre_ = 0;
    previous_step_ = 0;
    phone_at_ = 0;
    acc_.clear();
    acc_base_ = 0;
}

bool Synthesizer::add(const PhoneLine& line, std::string& error) {
    int id = silence_;
    if (const auto it = ids_.find(line.symbol); it != ids_.end()) {
        id = it->second;
    } else if (!no_error_ || silence_ < 0) {
        error = "unknown phoneme \"" + line.symbol + "\"";
        return false;
    }
    const int previous = phones_.empty() ? silence_ : phones_.back().id;
    if (!no_error_ && !db_.find(previous, id)) {
        error = "diphone " + (previous < 0 ? std::string("?") : db_.phonemes[previous]) + "-" +
                db_.phonemes[id] + " is missing";
        return false;
    }
    Phone p;
    p.id = id;
    p.start = phones_.empty() ? 0 : phones_.back().end;
    elapsed_ms_ += line.duration_ms;
    p.end = std::max<int64_t>(p.start, std::llround(elapsed_ms_ * rate_hz_ / 1000.0));
    p.split = p.start;
    for (const PitchTarget& target : line.pitch)
        pitch_.emplace_back(p.start + target.position_percent / 100.0 * double(p.end - p.start),
                            target.hz);
    phones_.push_back(p);
    if (phones_.size() >= 2) set_split(phones_.size() - 2);
    // Samples are final up to the start of the last phoneme (its diphone with
    // the next one is unknown) and up to the last pitch target.
    const int64_t horizon =
        pitch_.empty() ? 0
                       : std::min<int64_t>(phones_.back().start, std::llround(pitch_.back().first));
    generate(horizon);
    emit(std::min(last_centre_, horizon));
    return true;
}

void Synthesizer::flush() {
    if (!phones_.empty()) {
        flushed_ = true;
        set_split(phones_.size() - 1);
        generate(phones_.back().end);
        emit(phones_.back().end);
    }
    clear_utterance();
}

void Synthesizer::reset() {
    clear_utterance();
    ready_.clear();
}

size_t Synthesizer::read(int16_t* out, size_t wanted) {
    const size_t n = std::min(wanted, ready_.size());
    std::copy_n(ready_.begin(), n, out);
    ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

}  // namespace mbrola
