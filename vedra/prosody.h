// The prosody file ("portug.pro": phoneme durations, keyword categories,
// melody patterns and the pitch scale) and the diphone list ("portug.dfn":
// the phoneme pairs the voice has a diphone for). Both are read when the
// engine starts and only read afterwards.
//
// Prosody file, Windows-1252 text, three sections in any order, each opened by
// a line that trimmed is "[DURAÇÃO]", "[CHAVES]" or "[PROSÓDIA]" and running to
// the next line starting with "[". In a body, empty lines and lines starting
// with "*" or ";" are skipped.
//   [DURAÇÃO]   symbol = milliseconds      (at most 100, symbol cut to 2)
//   [CHAVES]    word = category            (at most 1000, category cut to 2)
//   [PROSÓDIA]  HERTZ= base pitch          (default 230)
//               TABHERTZ= ten percentages  (the pitch scale for digits 0..9)
//               left|middle|right = code   (at most 300 melody patterns)
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "host/files.h"

namespace vedra {

// The text without blanks and control characters at either end.
std::string_view trim_blanks_and_controls(std::string_view text);

// Shows one failure message (Windows-1252) to the user.
using ShowMessage = std::function<void(std::string_view message)>;

struct DurationEntry {
    std::string symbol;  // at most 2 characters
    int milliseconds = 0;
    uint32_t key = 0;  // the symbol packed with its length, for a cheap comparison
};

struct KeywordEntry {
    std::string word;      // upper case
    std::string category;  // upper case, at most 2 characters
};

// A field that is empty matches any category; otherwise it must be equal.
struct MelodyPattern {
    std::string left;    // previous token's category, at most 3 characters
    std::string middle;  // this token's category
    std::string right;   // next token's category
    std::string code;    // three characters: melody digits, the first may be "?"
};

class Prosody {
public:
    static constexpr size_t max_durations = 100;
    static constexpr size_t max_keywords = 1000;
    static constexpr size_t max_patterns = 300;
    static constexpr int default_base_pitch_hz = 230;
    static constexpr int default_duration_ms = 100;

    // `load_prosody`: empties the three tables, sets the base pitch to 230 and
    // reads the sections; false (after showing its message) when the file or
    // a section is missing or a line is malformed.
    bool load_prosody(host::Files& files, std::string_view path, const ShowMessage& show);
    // The same over file contents (tests, fuzzing).
    bool parse(std::string_view content, const ShowMessage& show);

    // `phoneme_duration`: the milliseconds of the first entry with exactly
    // this symbol; 100 when absent.
    int phoneme_duration(std::string_view symbol) const;
    // `keyword_category`: the category of the word (upper-cased here), or "".
    std::string keyword_category(std::string_view word) const;

    const std::vector<DurationEntry>& durations() const { return durations_; }
    const std::vector<KeywordEntry>& keywords() const { return keywords_; }
    const std::vector<MelodyPattern>& patterns() const { return patterns_; }

    int base_pitch_hz = default_base_pitch_hz;
    // Percentages of the base pitch for the melody digits "0" to "9". All 0
    // until a TABHERTZ line is read; a load without one keeps the last scale.
    std::array<int, 10> pitch_scale{};

private:
    bool read_durations(std::string_view content, const ShowMessage& show);
    bool read_keywords(std::string_view content, const ShowMessage& show);
    bool read_melody(std::string_view content, const ShowMessage& show);

    std::vector<DurationEntry> durations_;
    std::vector<KeywordEntry> keywords_;
    std::vector<MelodyPattern> patterns_;
};

// The diphones of the voice, entries "first-second", sorted and searched
// without regard to letter case.
class DiphoneList {
public:
    // `load_diphone_list`: replaces the list; false when the file does not
    // exist or cannot be read.
    bool load_diphone_list(host::Files& files, std::string_view path);
    void parse(std::string_view content);
    // `free_diphone_list`
    void free_diphone_list() {
        entries_.clear();
        folded_.clear();
    }
    // `has_diphone`: whether first + "-" + second is in the list.
    bool has_diphone(std::string_view first, std::string_view second) const;

    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
    // The entries in the code page's upper case: looked up once per phoneme,
    // so a hash lookup of the folded pair replaces a search that folds every
    // character it compares.
    std::unordered_set<std::string> folded_;
};

}  // namespace vedra
