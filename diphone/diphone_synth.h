// The diphone synthesizer: letter-to-sound rules and exceptions, the stress
// algorithm, diphone banks and the concatenation of units into one memory WAV
// image per utterance.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "diphone/rules.h"
#include "diphone/speaker.h"
#include "host/files.h"
#include "host/random.h"

namespace diphone {

// Where the synthesizer's filled speech buffer goes: the front-end plays the
// image to its end (or until a key stops it) before this returns.
class SpeechOutput {
public:
    virtual ~SpeechOutput() = default;
    virtual void play_image_and_wait(const uint8_t* image, size_t image_length) = 0;
};

// The per-speed settings handed over by the speech front-end.
struct SynthSettings {
    std::string bank_name = "DIFONES2";  // at most 8 characters
    int cut_amount = 400;
    int minimum_length = 0;
    int word_silence = 100;
};

class DiphoneSynth {
public:
    DiphoneSynth(host::Files& files, host::Random& random, SpeechOutput& output);
    ~DiphoneSynth();
    DiphoneSynth(const DiphoneSynth&) = delete;
    DiphoneSynth& operator=(const DiphoneSynth&) = delete;

    void apply_settings(const SynthSettings& settings);
    const SynthSettings& settings() const;

    // 0 started; 1 bank or folders missing; 2 rules or exceptions missing.
    int start_diphone_synth();
    void stop_diphone_synth();
    bool running() const;

    // Text (Windows-1252) to phoneme string.
    std::string convert_to_phonemes(std::string_view text);
    // Plays a phoneme string through the speech output.
    void speak_phonemes(std::string_view phonemes, bool no_pause);

    // The letters folder as read at start (ends in a backslash).
    const std::string& letters_folder() const;

    // The diphone folder as read at start (ends in a backslash).
    const std::string& diphone_folder() const;
    // The rule and exception tables as loaded at start (empty before).
    const Lexicon& lexicon() const;

    // Called for every unit fetch: the unit name (upper case for bank units)
    // and whether it was found (for falar --units and the coverage count).
    std::function<void(std::string_view name, bool found)> on_unit;
    // Running unit counts over every speak_phonemes call; reset freely.
    UnitStats unit_stats;

private:
    struct State;
    State* state_;
};

}  // namespace diphone
