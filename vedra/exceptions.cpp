#include "vedra/exceptions.h"

#include <utility>

#include "vedra/text_chars.h"

namespace vedra {
namespace {

std::string_view as_text(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view trim_blanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool AbbreviationTable::add(Abbreviation entry) {
    if (entries_.size() >= max_entries) return false;
    entries_.push_back(std::move(entry));
    return true;
}

const std::string* AbbreviationTable::find(std::string_view upper_key) const {
    // A line without "=" stored an empty key; it must never match.
    if (upper_key.empty()) return nullptr;
    for (const Abbreviation& entry : entries_)
        if (entry.key == upper_key) return &entry.expansion;
    return nullptr;
}

void parse_abbreviations(std::string_view content, AbbreviationTable& table) {
    diphone::for_each_line(content, [&](std::string_view line) {
        line = trim_blanks(line);
        if (line.empty() || line[0] == ';') return true;
        Abbreviation entry;
        const size_t equals = line.find('=');
        if (equals != line.npos) {
            entry.key = upper_case(trim_blanks(line.substr(0, equals)));
            entry.expansion = std::string(trim_blanks(line.substr(equals + 1))
                                              .substr(0, AbbreviationTable::max_expansion_chars));
        }
        // Lines past the 2000th are not stored: the rest of the file is skipped.
        return table.add(std::move(entry));
    });
}

void parse_exceptions(std::string_view content, ExceptionTable& table) {
    // Upper-casing keeps every byte in place, so cutting lines at 255
    // characters afterwards gives what cutting first would.
    diphone::parse_diphone_exceptions(upper_case(content), table);
}

bool load_abbreviations(host::Files& files, std::string_view path, AbbreviationTable& table) {
    table.clear();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse_abbreviations(as_text(bytes), table);
    return true;
}

std::string find_abbreviation(const AbbreviationTable& table, std::string_view word) {
    const std::string* expansion = table.find(upper_case(word));
    return expansion ? *expansion : std::string();
}

bool load_exceptions(host::Files& files, std::string_view path, ExceptionTable& table) {
    table.clear();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse_exceptions(as_text(bytes), table);
    return true;
}

void apply_exception(const ExceptionTable& table, std::string& word) {
    std::string stem = word;
    size_t peeled = 0;  // letters moved from the end of the stem to the suffix
    while (!stem.empty()) {
        if (const std::string* respelling = table.find(stem)) {
            word = *respelling + word.substr(word.size() - peeled);
            return;
        }
        const char last = stem.back();
        if (last != 'S' && last != 'M') return;
        stem.pop_back();
        ++peeled;
    }
}

}  // namespace vedra
