// The in-process voice database of the VEDRA synthesizer: every pair of the
// phoneme inventory is said by espeak-ng's Brazilian voice in a short carrier
// on one flat pitch, resampled to 16000 Hz, cut from the middle of its first
// phoneme to the middle of its second, given pitch marks and levelled.
#pragma once
#include <string>
#include <vector>

#include "mbrola/database.h"
#include "tools/gen/voice.h"

namespace gen {

constexpr int kDiphoneRateHz = 16000;

// The voice's phonemes for an inventory symbol, separated by blanks ("" when
// it has none).
std::string espeak_phoneme(const std::string& symbol);

// The inventory symbols of a fonemas.txt text (first field of each line that
// is not a comment), with the pause "_" added.
std::vector<std::string> read_inventory(const std::string& text);

// The flat pitch the carriers are said on, measured on a long vowel (Hz).
double measure_recorded_pitch(Voice& voice);

// Builds the database for every ordered pair of `symbols`. False with a
// message when the voice cannot say something.
bool build_diphone_database(Voice& voice, const std::vector<std::string>& symbols,
                            mbrola::Database& db, std::string& error);

}  // namespace gen
