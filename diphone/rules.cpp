#include "diphone/rules.h"

#include <utility>

namespace diphone {
namespace {

std::string_view as_text(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Quicksort of entries[low..high] by word: middle pivot, Hoare partitioning.
// The smaller side recurses and the larger one loops, so a hostile file can
// cost time but never a deep stack; the order of the results is unaffected.
void quicksort(std::vector<ExceptionEntry>& entries, ptrdiff_t low, ptrdiff_t high) {
    while (low < high) {
        const std::string pivot = entries[static_cast<size_t>((low + high) / 2)].word;
        ptrdiff_t i = low;
        ptrdiff_t j = high;
        while (i <= j) {
            while (entries[static_cast<size_t>(i)].word < pivot) ++i;
            while (pivot < entries[static_cast<size_t>(j)].word) --j;
            if (i <= j) {
                std::swap(entries[static_cast<size_t>(i)], entries[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (j - low < high - i) {
            quicksort(entries, low, j);
            low = i;
        } else {
            quicksort(entries, i, high);
            high = j;
        }
    }
}

}  // namespace

const std::vector<Rule>& RuleTable::bucket(uint8_t code) const {
    if (code < first_code || code - first_code >= static_cast<int>(buckets_.size())) return none_;
    return buckets_[code - first_code];
}

bool RuleTable::add(Rule rule) {
    if (rule.match.empty()) return false;
    const auto code = static_cast<uint8_t>(rule.match[0]);
    if (code < first_code || code - first_code >= static_cast<int>(buckets_.size())) return false;
    buckets_[code - first_code].push_back(std::move(rule));
    return true;
}

void RuleTable::clear() {
    for (auto& b : buckets_) b.clear();
}

size_t RuleTable::size() const {
    size_t n = 0;
    for (const auto& b : buckets_) n += b.size();
    return n;
}

const std::string* ExceptionTable::find(std::string_view word) const {
    size_t low = 0;
    size_t high = entries_.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = std::string_view(entries_[middle].word).compare(word);
        if (order == 0) return &entries_[middle].respelling;
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return nullptr;
}

bool ExceptionTable::add(ExceptionEntry entry) {
    if (entries_.size() >= max_entries) return false;
    entries_.push_back(std::move(entry));
    return true;
}

void ExceptionTable::sort() {
    if (entries_.size() > 1) quicksort(entries_, 0, static_cast<ptrdiff_t>(entries_.size()) - 1);
}

Rule parse_rule_line(std::string_view line) {
    Rule rule;
    // The parts in order, each with the delimiter that ends it and its limit.
    struct Part {
        std::string* text;
        char end;
        size_t limit;
    };
    const Part parts[] = {{&rule.left, '(', rule_context_chars},
                          {&rule.match, ')', rule_match_chars},
                          {&rule.right, '=', rule_context_chars},
                          {&rule.output, '|', rule_output_chars}};
    size_t part = 0;
    for (const char c : line) {
        if (c == parts[part].end) {
            if (++part == std::size(parts)) break;  // everything after "|" is a remark
            continue;
        }
        if (parts[part].text->size() < parts[part].limit) parts[part].text->push_back(c);
    }
    return rule;
}

void parse_diphone_rules(std::string_view content, RuleTable& rules) {
    for_each_line(content, [&](std::string_view line) {
        rules.add(parse_rule_line(line));
        return true;
    });
}

void parse_diphone_exceptions(std::string_view content, ExceptionTable& exceptions) {
    for_each_line(content, [&](std::string_view line) {
        if (line.size() > ExceptionTable::max_line_chars)
            line = line.substr(0, ExceptionTable::max_line_chars);
        if (line.empty()) return true;
        ExceptionEntry entry;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            // Takes a slot but can never match: no looked-up word ends in "|"
            // after a letter.
            entry.word = std::string(line) + "|";
        } else {
            entry.word = std::string(line.substr(0, equals));
            std::string_view rest = line.substr(equals + 1);
            entry.respelling = std::string(rest.substr(0, rest.find('|')));
        }
        return exceptions.add(std::move(entry));
    });
    exceptions.sort();
}

// A file is read whole: a read error after opening fails the load like a
// missing file does, so a damaged table never starts the synthesizer.
bool load_diphone_rules(host::Files& files, std::string_view path, Lexicon& lexicon) {
    lexicon.rules.clear();
    lexicon.exceptions.clear();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse_diphone_rules(as_text(bytes), lexicon.rules);
    return true;
}

bool load_diphone_exceptions(host::Files& files, std::string_view path, Lexicon& lexicon) {
    lexicon.exceptions.clear();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse_diphone_exceptions(as_text(bytes), lexicon.exceptions);
    return true;
}

void free_diphone_rules(Lexicon& lexicon) {
    lexicon.rules.clear();
}

}  // namespace diphone
