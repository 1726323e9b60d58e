// The letter-to-sound converter: Windows-1252 Portuguese text to the
// synthesizer's phoneme string, through normalisation, word cutting, the
// exception table, the stress marker and the context rules.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "diphone/rules.h"

namespace diphone {

// The word buffer's size; a longer run of word characters is split (see
// next_word in the source).
constexpr size_t word_buffer_chars = 256;

// Step 1 of the conversion: W/Y between letters, "d'" and the accent table;
// a character that maps to nothing becomes " \x01 ".
std::string normalise_text(std::string_view text);

// The accent table: the replacement for a code 128..255 ("ç" already turned
// into "ss"); empty when the code maps to nothing.
std::string_view accent_replacement(unsigned char code);

// The stress marker: upper-cases the stressed vowel of `word` in place. The
// vowel count and mark flag are those of the word as read.
void mark_stress(std::string& word, int vowel_count, bool has_mark);

// Rule application for one word (no spelling test): "[" out1 "/" ... "]".
std::string apply_rules(const RuleTable& rules, std::string_view word);

// The exception lookup with the peeling of final s and m; returns the word
// unchanged when nothing matches.
std::string respell_word(const ExceptionTable& exceptions, std::string_view word);

// `convert_to_phonemes`: the whole conversion.
std::string convert_to_phonemes(const Lexicon& lexicon, std::string_view text);

}  // namespace diphone
