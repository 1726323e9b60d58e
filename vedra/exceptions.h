// The word exception table ("portug.exc") and the abbreviation table
// ("portug.abr"). Exceptions replace a whole word by a respelling before stress
// finding and the rules; abbreviations expand a word followed by "." and a
// blank during normalisation. Both tables are filled by their loaders when the
// engine starts and are read-only afterwards.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "diphone/rules.h"
#include "host/files.h"

namespace vedra {

// The exception file shares the diphone synthesizer's line format and table
// (at most 15000 entries, 255 characters a line, sorted byte-wise, binary
// search); this reader upper-cases every line first.
using ExceptionTable = diphone::ExceptionTable;

struct Abbreviation {
    std::string key;        // upper case, blanks removed
    std::string expansion;  // as written, blanks at both ends removed
};

// At most 2000 entries in file order, searched from the first.
class AbbreviationTable {
public:
    static constexpr size_t max_entries = 2000;
    static constexpr size_t max_expansion_chars = 999;

    // Appends an entry; false (nothing stored) when the table is full.
    bool add(Abbreviation entry);
    // The expansion of the first entry whose key equals `upper_key`, or nullptr.
    const std::string* find(std::string_view upper_key) const;
    void clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }
    const std::vector<Abbreviation>& entries() const { return entries_; }

private:
    std::vector<Abbreviation> entries_;
};

// Parsers over file contents (used by the loaders, tests and fuzzing); both
// append to the table as far as its limit allows. parse_exceptions then sorts.
void parse_abbreviations(std::string_view content, AbbreviationTable& table);
void parse_exceptions(std::string_view content, ExceptionTable& table);

// `load_abbreviations`: empties the table, then reads the file. False when the
// file does not exist or cannot be read.
bool load_abbreviations(host::Files& files, std::string_view path, AbbreviationTable& table);
// `find_abbreviation`: the expansion of `word` (upper-cased here), or "".
std::string find_abbreviation(const AbbreviationTable& table, std::string_view word);

// `load_exceptions`: empties the table, reads at most 15000 entries and sorts
// them. False when the file cannot be read.
bool load_exceptions(host::Files& files, std::string_view path, ExceptionTable& table);
// `apply_exception`: replaces the upper-case `word` by its respelling. A word
// not found loses its last letter while that is S or M and is looked up
// again; the peeled letters are put back after the respelling (MESAS finds
// MESA). A word never found is left as it was.
void apply_exception(const ExceptionTable& table, std::string& word);

}  // namespace vedra
