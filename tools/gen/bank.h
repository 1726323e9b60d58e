// Diphone banks: each unit name the synthesizer asks for ("$KA", "$BECIRC",
// "$MATIL", "$S", "$NN") is said by the voice and cut out by its phoneme
// marks; the bank is an index of 15-byte records sorted by name and a data
// file of raw 8-bit 11025 Hz samples.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/gen/voice.h"

namespace gen {

// The voice's phoneme input for a unit name (upper case, with the "$"), or ""
// when the name holds nothing the voice can say. `vowel_at` is set to whether
// the unit has a vowel.
std::string unit_phonemes(const std::string& name, bool& has_vowel);

// The samples of one unit at 11025 Hz (empty when the voice gives nothing).
Samples synthesise_unit(Voice& voice, const std::string& name, const VoiceStyle& style);

struct Bank {
    std::map<std::string, std::vector<uint8_t>> units;  // name -> samples, sorted by name
};

// Index and data file images. Names longer than 8 characters and units
// longer than 65535 bytes cannot be stored: they are left out (a unit is cut).
void encode_bank(const Bank& bank, std::vector<uint8_t>& index, std::vector<uint8_t>& data);

}  // namespace gen
