// Diphone synthesis by time-domain pitch-synchronous overlap-add.
//
// Each phoneme line becomes a stretch of output of exactly its duration
// (phoneme edges fall on the nearest sample of the running total). The
// stretch is covered by two half-diphones: the right part of the diphone
// that ends in the middle of the phoneme and the left part of the one that
// starts there; the split follows the recorded lengths of the two parts.
// Output pitch marks follow the pitch targets, interpolated linearly across
// the whole utterance (held flat before the first and after the last). Every
// mark takes the nearest recorded pitch period of the half-diphone at the
// matching place and adds it in with a raised-cosine window whose halves
// reach to the neighbouring marks, so that the windows sum to one. At the
// middle of a phoneme the marks pass from one diphone to the other.
//
// States: collecting (lines added, samples produced up to the point where the
// next phoneme and the pitch are known) -> flushed (everything produced, the
// next line starts a new utterance after silence).
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "mbrola/database.h"
#include "mbrola/lines.h"

namespace mbrola {

class Synthesizer {
public:
    // The database must outlive the synthesizer.
    explicit Synthesizer(const Database& db);

    // Output sample rate: durations and pitch are kept, the recorded periods
    // are played at this rate (the voice gets brighter or darker).
    void set_rate_hz(uint32_t rate_hz);
    uint32_t rate_hz() const { return rate_hz_; }
    void set_volume(double ratio) { volume_ = ratio; }
    // With no-error set, an unknown phoneme is read as silence and a missing
    // diphone is bridged through silence instead of being refused.
    void set_no_error(bool on) { no_error_ = on; }

    // Reads input name `alias` as the database's phoneme `name` (ignored when
    // the database has no such phoneme).
    void add_alias(const std::string& alias, const std::string& name);

    // Adds a phoneme; false (and nothing added) with a message when it cannot be spoken.
    bool add(const PhoneLine& line, std::string& error);
    // Produces everything written so far and ends the utterance.
    void flush();
    // Drops everything: pending phonemes and unread samples.
    void reset();

    size_t available() const { return ready_.size(); }
    size_t read(int16_t* out, size_t wanted);

private:
    struct Phone {
        int id = 0;
        int64_t start = 0, end = 0;
        int64_t split =
            0;  // where the second half-diphone starts; valid once the next phone is known
    };
    // The part of one recorded diphone that covers a stretch of output.
    struct Half {
        const Diphone* diphone = nullptr;  // nullptr: silence
        uint32_t from = 0, to = 0;         // analysis samples in the diphone
        int64_t out_from = 0, out_to = 0;  // output samples
    };
    struct Grain {
        const Diphone* diphone = nullptr;
        uint32_t mark = 0;  // index among the diphone's marks
    };

    Half left_half(size_t phone) const;   // right part of the diphone ending in `phone`
    Half right_half(size_t phone) const;  // left part of the diphone starting in `phone`
    void set_split(size_t phone);
    int next_id(size_t phone) const;
    double pitch_at(double t) const;
    Grain nearest_mark(const Half& half, double t) const;
    void add_grain(const Grain& g, int64_t centre, int64_t left, int64_t right, double gain);
    void generate(int64_t horizon);
    void emit(int64_t upto);
    void clear_utterance();

    const Database& db_;
    std::unordered_map<std::string, int> ids_;
    int silence_ = 0;
    uint32_t rate_hz_;
    double volume_ = 1.0;
    bool no_error_ = false;

    std::vector<Phone> phones_;
    bool flushed_ = false;                          // the current utterance's last phone is final
    std::vector<std::pair<double, double>> pitch_;  // (output sample, Hz)
    double elapsed_ms_ = 0;
    double next_mark_ = 0;
    int64_t last_centre_ = 0;
    int64_t previous_step_ = 0;
    size_t phone_at_ = 0;  // phone holding the next mark
    std::vector<float> acc_;
    int64_t acc_base_ = 0;  // output sample of acc_[0]
    std::deque<int16_t> ready_;
};

}  // namespace mbrola
