// The two prosody stages of the speak pipeline. Before transcription the
// normalised text becomes the token list: tokens with a category and a
// three-digit melody code chosen from the categories of each token and its
// neighbours. After transcription the phoneme script becomes the MBROLA
// lines: durations for every phoneme, pitch targets at fixed points of each
// word, and a short glide or pause wherever the voice lacks a diphone.
//
// Tokeniser states, one token per pass:
//   skip blanks -> end of text: stop
//   "." followed by "." -> a run of full stops, category ".-", text "."
//   a character that is not a word letter -> that character, category cc
//   a word letter -> the longest run of word letters, its keyword category
//                    or "XX"
// and a boundary entry "[--]" before the first token and after every token
// that starts with "!", "." or "?".
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "vedra/prosody.h"
#include "vedra/transcribe.h"

namespace vedra {

// One entry of the internal category list.
struct CategorisedToken {
    std::string category;  // two characters
    std::string text;      // empty for the boundary entries "--"
};

// The category list of a normalised text, boundaries included.
std::vector<CategorisedToken> categorise_tokens(std::string_view text, const Prosody& prosody);

// `make_token_list`: items "ddd|token". With the melody switch off every code
// is "555".
TokenList make_token_list(std::string_view normalised_text, bool melody, const Prosody& prosody);

// MBROLA's phoneme input: "symbol duration_ms [position_percent pitch_hz]".
using MbrolaLines = std::vector<std::string>;

// `make_mbrola_lines`. `current_symbol` is the generator's one piece of state
// kept between calls (empty before the first); the engine holds it.
MbrolaLines make_mbrola_lines(const PhonemeScript& script, double duration_factor,
                              double pitch_factor, const Prosody& prosody,
                              const DiphoneList& diphones, std::string& current_symbol);

}  // namespace vedra
