// Phonetic transcription: the token list becomes the phoneme script. Words are
// replaced through the exception table, their stressed letter is found by the
// fixed Portuguese stress algorithm, and the letter-to-phoneme rules
// ("portug.nrl") write one phoneme per line. Punctuation becomes pause
// markers, and a word-final "r2"/"s2" is relinked before a vowel.
//
// Phoneme script (shared with prosody generation), for each token-list item:
//   ";" + the item verbatim
//   then "__" and "" for an empty token; a pause marker ("_,", "_.", "_?",
//   "_!", "_:", "_;", "_(", "_)") for punctuation, nothing for a blank; or the
//   word's phoneme lines, the first one at or after the stressed letter
//   prefixed with ">", followed by one empty line.
// and after the last item one line "__".
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diphone/rules.h"
#include "host/files.h"
#include "vedra/exceptions.h"

namespace vedra {

// Items "ddd|token": a three-character melody code, "|" and the token.
using TokenList = std::vector<std::string>;
// One line a string, as described above.
using PhonemeScript = std::vector<std::string>;

// A rules-file line: left context "(" centre ")" right context "=" phonemes.
// The file shares the diphone rules' line syntax and field limits (5, 5, 5
// characters; of the phonemes only the first 11 are used); "&" separates
// phonemes in the output.
using Rule = diphone::Rule;  // left, match (the centre), right, output (the phonemes)

// Rules bucketed by the first character of their centre, codes 32 to 255,
// each bucket in file order (the first rule that fits wins). Rules whose
// centre is empty or starts below 32 are not stored: they would consume no
// letter.
struct RuleTable : diphone::RuleTable {
    RuleTable() : diphone::RuleTable(255) {}
};

// Appends the rules of file contents (lines starting with ";" are comments).
void parse_rules(std::string_view content, RuleTable& rules);
// `load_rules`: empties the table and reads the file. False when it cannot be read.
bool load_rules(host::Files& files, std::string_view path, RuleTable& rules);
// Frees the rule table (all buckets emptied).
void free_rules(RuleTable& rules);

// `transcribe`: the phoneme script of a token list (a new list).
PhonemeScript transcribe(const TokenList& tokens, const RuleTable& rules,
                         const ExceptionTable& exceptions);

// `transcribe_word`: appends the phoneme lines of an upper-case word, with
// the stress mark on the first phoneme at or after the 1-based `stressed`
// letter (0: no stress mark), and then the pending (normally empty) line.
void transcribe_word(std::string_view word, size_t stressed, const RuleTable& rules,
                     PhonemeScript& script);

// `find_stress`: the 1-based position of the stressed letter, 0 when none.
//
// An accented vowel is stressed: the last à á â é ê í ó ô ú met from the
// end, else the last ã õ. Otherwise a scan from the last letter leftwards with these
// states (p is the letter's position):
//   START:          a e o -> stress p, FINAL_VOWEL; u -> stress p, FINAL_U;
//                   i -> stress p, FINAL_I; s -> START; m -> FINAL_M;
//                   else FINAL_CONSONANT
//   FINAL_VOWEL:    u -> U_BEFORE_FINAL; i after a, e, o -> stress p-1, stop;
//                   a e i o w y ü -> stress p, stop; else SEEK_PENULT
//   SEEK_PENULT:    a e o -> stress p, stop; i u -> stress p, PENULT_IU
//   PENULT_IU:      a e o -> stress p, stop; u -> U_BEFORE_PENULT; else stop
//   U_BEFORE_FINAL: g q -> stress p+2, SEEK_PENULT; else stress p+1, stop
//   U_BEFORE_PENULT, U_BEFORE_FINAL_I: g q -> stress p+2; else p+1; stop
//   FINAL_U:        a e i o -> stress p; stop
//   FINAL_I:        a e o -> stress p, FINAL_I; u -> U_BEFORE_FINAL_I; else stop
//   FINAL_CONSONANT: a e i o u w y ü -> stress p, stop
//   FINAL_M:        i o u -> stress p, stop; a e -> stress p, FINAL_VOWEL;
//                   else START
size_t find_stress(std::string_view word);

// `is_unstressed_word`: words of fewer than three letters and POR, DAS, DOS,
// COM, NÃO, SIM carry no stress mark.
bool is_unstressed_word(std::string_view word);

// `link_words`: a word-final "r2" becomes "r" and "s2" becomes "z" when the
// next word of the script begins with an unstressed vowel or glide.
void link_words(PhonemeScript& script);

}  // namespace vedra
