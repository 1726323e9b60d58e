// The concatenation of units: a phoneme string is cut into groups, each
// group into syllable-sized pieces, each piece into bank unit names, and the
// units are fetched one after another with fallbacks on smaller units.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace diphone {

// Where the current word stands relative to its stressed syllable. Units
// fetched while `stressed` keep their full length; the others are cut.
enum class StressMode : int { after_stress = 0, before_stress = 1, stressed = 2 };

// What the concatenation fetches from: the bank and the speech buffer in the
// synthesizer, a recorder in tests, or a unit-list collector in a generator.
class UnitPlayer {
public:
    virtual ~UnitPlayer() = default;
    // Sets the write position to the start of an empty utterance.
    virtual void begin_utterance() = 0;
    // A bank unit ("$ba", "$eCIRC"); false when the bank does not have it.
    virtual bool play_unit(std::string_view name, StressMode mode, double length_factor) = 0;
    // A recorded letter sound ("_98"); false when it is missing.
    virtual bool play_letter_sound(std::string_view name) = 0;
    virtual void append_silence(int samples) = 0;
    virtual void append_noise() = 0;
    virtual void flush_speech() = 0;
};

// Unit counts for coverage checks: `requested` counts the units that the
// syllables name (fallbacks not included) and `found` those of them played
// at once; `fetches` and `missing` count every fetch, fallbacks included.
struct UnitStats {
    uint64_t requested = 0;
    uint64_t found = 0;
    uint64_t fetches = 0;
    uint64_t missing = 0;
    uint64_t noise = 0;
};

// Fixed pauses, in samples, for the spelled punctuation groups.
constexpr int comma_pause_samples = 4000;
constexpr int full_stop_pause_samples = 8000;
constexpr int colon_pause_samples = 8000;
constexpr int semicolon_pause_samples = 6000;

// `speak_phonemes`: plays the phoneme string through `player`, with
// `word_silence` samples after each group that ends a word or is split off
// at a "/". With `no_pause`, punctuation groups make no pause.
void speak_phonemes(std::string_view phonemes, bool no_pause, int word_silence, UnitPlayer& player,
                    UnitStats* stats = nullptr);

}  // namespace diphone
