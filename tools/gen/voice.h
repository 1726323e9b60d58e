// The Brazilian Portuguese voice of libespeak-ng, synthesised to memory.
// espeak-ng keeps global state, so there is one Voice per process.
#pragma once
#include <string>
#include <vector>

#include "tools/gen/audio.h"

namespace gen {

struct VoiceStyle {
    int rate_wpm = 150;
    int pitch = 50;  // 0..100
    int range = 50;  // intonation range 0..100
};

// One phoneme of an utterance and the sample where it starts.
struct PhonemeMark {
    std::string name;
    size_t sample = 0;
};

struct Utterance {
    Samples audio;  // at the voice's own rate
    std::vector<PhonemeMark> phonemes;
};

class Voice {
public:
    Voice() = default;
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    // False when libespeak-ng or its pt-br voice cannot be started.
    bool start();
    // Text (UTF-8) or phoneme input written as "[[...]]".
    Utterance say(const std::string& utf8, const VoiceStyle& style);
    // The same, said by a copy of the voice as it was when this is called: the
    // voice carries state from one utterance into the next (its pitch wobble
    // runs on), so a unit said this way depends only on its own input, not on
    // which units were said before it.
    Utterance say_alone(const std::string& utf8, const VoiceStyle& style);
    int rate_hz() const { return rate_hz_; }

private:
    int rate_hz_ = 0;
};

}  // namespace gen
