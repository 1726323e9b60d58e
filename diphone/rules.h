// The letter-to-sound rule table and the word exception table of the diphone
// synthesizer, and the readers of their text files ("regras.rgr",
// "portug.exc"). The tables are built once at start and read-only afterwards.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/files.h"

namespace diphone {

// Kept lengths of the four parts of a rule line; longer parts are cut.
constexpr size_t rule_context_chars = 5;
constexpr size_t rule_match_chars = 5;
constexpr size_t rule_output_chars = 11;

// One rule: left context "(" match ")" right context "=" output "|".
struct Rule {
    std::string left;
    std::string match;
    std::string right;
    std::string output;
};

// Rules grouped by the first character of their match, codes 32 to
// `last_code` (95 here; the VEDRA rules file uses the same table up to 255),
// each bucket in file order (the first rule that fits wins).
class RuleTable {
public:
    static constexpr int first_code = 32;

    explicit RuleTable(int last_code = 95) : buckets_(static_cast<size_t>(last_code - 31)) {}

    // The rules whose match starts with `code`; empty outside 32..last_code.
    const std::vector<Rule>& bucket(uint8_t code) const;
    // Appends a rule to its bucket; false (not stored) when the match is empty
    // or starts outside 32..last_code.
    bool add(Rule rule);
    void clear();
    size_t size() const;

private:
    std::vector<std::vector<Rule>> buckets_;
    std::vector<Rule> none_;
};

struct ExceptionEntry {
    std::string word;
    std::string respelling;
};

// At most 15000 (word, respelling) pairs sorted by byte-wise word order.
class ExceptionTable {
public:
    static constexpr size_t max_entries = 15000;
    // Lines are read up to this many characters; the rest is dropped.
    static constexpr size_t max_line_chars = 255;

    // The respelling of `word`, or nullptr. Exact byte comparison.
    const std::string* find(std::string_view word) const;
    // Appends an entry unsorted; false when the table is full.
    bool add(ExceptionEntry entry);
    // The table's quicksort (middle pivot, Hoare partitioning).
    void sort();
    void clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }
    const std::vector<ExceptionEntry>& entries() const { return entries_; }

private:
    std::vector<ExceptionEntry> entries_;
};

// Both tables, as the converter reads them.
struct Lexicon {
    RuleTable rules;
    ExceptionTable exceptions;
};

// Parses one rule line (no line end) into its four cut parts.
Rule parse_rule_line(std::string_view line);

// Parsers over file contents (used by the loaders, tests and fuzzing).
// parse_diphone_rules appends to the table; parse_diphone_exceptions appends
// up to the table's limit and then sorts it.
void parse_diphone_rules(std::string_view content, RuleTable& rules);
void parse_diphone_exceptions(std::string_view content, ExceptionTable& exceptions);

// `load_diphone_rules`: empties the rule table and the exception count, then
// reads the rules file. False when the file cannot be read.
bool load_diphone_rules(host::Files& files, std::string_view path, Lexicon& lexicon);
// `load_diphone_exceptions`: empties the exception table, reads and sorts it.
// False when the file cannot be read.
bool load_diphone_exceptions(host::Files& files, std::string_view path, Lexicon& lexicon);
// `free_diphone_rules`: releases every rule.
void free_diphone_rules(Lexicon& lexicon);

// Calls `line` for every line of `content`: CR LF, LF and a lone CR end a
// line; the text after the last line end is a line when it is not empty.
template <typename Fn>
void for_each_line(std::string_view content, Fn&& line) {
    size_t start = 0;
    for (size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c != '\n' && c != '\r') continue;
        if (!line(content.substr(start, i - start))) return;
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) line(content.substr(start));
}

}  // namespace diphone
