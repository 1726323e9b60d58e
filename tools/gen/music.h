// Tones, jingles and applause, synthesised at 11025 Hz.
//
// A tune is one or more layers separated by ";". Each layer is an instrument
// name followed by notes played one after the other:
//   sino E6/150 C6/400        a bell, two notes (name, octave, duration in ms)
//   metais C4+E4+G4/900       a chord (notes joined by "+")
//   madeira A5/80 -/120 A5/80 "-" is a rest
// Instruments: sino (bell), tecla (plucked), metais (brass), madeira (wood
// block), flauta (soft sine). A note rings on after its duration as the
// instrument decays, so consecutive notes overlap naturally.
#pragma once
#include <cstdint>
#include <string>

#include "tools/gen/audio.h"

namespace gen {

// False (and `error` set) for an unknown instrument or a malformed note.
bool render_tune(const std::string& tune, Samples& out, std::string& error);

// Frequency in Hz of a note name such as "A4", "C#5", "Bb3"; 0 when malformed.
double note_frequency(const std::string& note);

// Clapping: many hand claps spread over `duration_ms`, rising and fading.
// Deterministic for a given seed.
Samples render_applause(int duration_ms, uint32_t seed);

}  // namespace gen
