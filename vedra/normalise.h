// Text normalisation: everything in a text that is not a plain word becomes
// Portuguese words (numbers, ordinals, decimals, negatives, digit strings with
// hyphens, abbreviations, words without vowels, symbols), keeping the sentence
// punctuation that prosody needs. All text is Windows-1252.
//
// Positions are 0-based byte indexes into the text; an operation that reads
// from a position leaves it on the first byte it did not use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vedra/exceptions.h"

namespace vedra {

// The largest value number_to_words speaks: fifteen digits.
constexpr uint64_t max_spoken_number = 999'999'999'999'999ULL;

enum class Gender { masculine, feminine };

// `normalise_text`: the whole text, normalised. Never fails.
std::string normalise_text(std::string_view text, const AbbreviationTable& abbreviations);

// `read_number`: the words for the number (or digit string with hyphens, or
// ordinal) that starts at `position`, which must be on a digit; the position
// is moved past what was read. At most fifteen significant digits make one
// number; further digits are left for the caller's next pass.
std::string read_number(std::string_view text, size_t& position);

// `number_to_words`: cardinal words, 0 ("zero") to max_spoken_number; larger
// values are read digit by digit. The result may end in a blank ("dois mil ").
std::string number_to_words(uint64_t value);

// `group_to_words`: the words of three digit characters ("000" gives "");
// `joined` (when given) tells whether a " e " was put inside the group.
// Anything but three digits gives "".
std::string group_to_words(std::string_view three_digits, bool* joined = nullptr);

// `ordinal_to_words`: "primeiro", "vigésima primeira"...; 2000 and above are
// spoken as cardinals.
std::string ordinal_to_words(uint64_t value, Gender gender);

// `character_name`: the spoken name of one character, or "" for a character
// without one (control characters, 127-160, 221-223, 253-255).
std::string_view character_name(char c);

// `read_word`: the word (letters, each optionally followed by one "-") that
// starts at `position`, which must be on a letter. A word without vowels is
// spelled by its characters' names, unless it is an abbreviation followed by
// "." and a blank.
std::string read_word(std::string_view text, size_t& position,
                      const AbbreviationTable& abbreviations);

}  // namespace vedra
