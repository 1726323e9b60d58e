#include "vedra/prosody.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "diphone/rules.h"
#include "host/text.h"
#include "vedra/text_chars.h"

namespace vedra {
namespace {

std::string_view as_text(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string_view trim(std::string_view text) {
    return trim_blanks_and_controls(text);
}

// A whole number as the files write them: decimal digits only. Signs are
// refused, since no duration, pitch or percentage can be negative, and so are
// values that would not fit the arithmetic later on.
std::optional<int> whole_number(std::string_view text) {
    constexpr int largest = 1'000'000;
    text = trim(text);
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > largest) return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> lines_of(std::string_view content) {
    std::vector<std::string_view> lines;
    diphone::for_each_line(content, [&](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

// The body lines of a section, or nullopt when its header is missing. A line
// that is empty once trimmed is skipped like an empty one (a stray blank in
// an edited file is not an error), and so are comments.
std::optional<std::vector<std::string_view>> section_body(std::string_view content,
                                                          std::string_view header) {
    const std::vector<std::string_view> lines = lines_of(content);
    size_t i = 0;
    while (i < lines.size() && trim(lines[i]) != header) ++i;
    if (i == lines.size()) return std::nullopt;
    std::vector<std::string_view> body;
    for (++i; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!line.empty() && line[0] == '[') break;
        if (trim(line).empty() || line[0] == '*' || line[0] == ';') continue;
        body.push_back(line);
    }
    return body;
}

void show_message(const ShowMessage& show, std::string_view utf8, std::string_view line = {}) {
    if (!show) return;
    std::string text = host::w1252(utf8);
    text += line;
    show(text);
}

// A symbol of at most 2 characters packed with its length; longer symbols
// get a key no stored entry has.
uint32_t symbol_key(std::string_view symbol) {
    if (symbol.size() > 2) return UINT32_MAX;
    uint32_t key = uint32_t(symbol.size()) << 16;
    for (size_t i = 0; i < symbol.size(); ++i) key |= uint32_t(uint8_t(symbol[i])) << (8 * i);
    return key;
}

constexpr std::string_view msg_not_found = "Configuração da prosódia não foi achada";
constexpr std::string_view msg_no_durations = "Duração dos difones errada ou ausente";
constexpr std::string_view msg_bad_phoneme = "Configuração da prosódia: fonema errado: ";
constexpr std::string_view msg_no_keywords = "Prosódia: palavras chaves ausentes";
constexpr std::string_view msg_bad_key = "Configuração da prosódia: chave errada: ";
constexpr std::string_view msg_no_melody = "Prosódia: especificações ausentes";

}  // namespace

std::string_view trim_blanks_and_controls(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<uint8_t>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<uint8_t>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

bool Prosody::load_prosody(host::Files& files, std::string_view path, const ShowMessage& show) {
    durations_.clear();
    keywords_.clear();
    patterns_.clear();
    base_pitch_hz = default_base_pitch_hz;
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) {
        show_message(show, msg_not_found);
        return false;
    }
    return parse(as_text(bytes), show);
}

bool Prosody::parse(std::string_view content, const ShowMessage& show) {
    durations_.clear();
    keywords_.clear();
    patterns_.clear();
    base_pitch_hz = default_base_pitch_hz;
    // One failure, one message: the first section that fails ends the load.
    if (!read_durations(content, show) || !read_keywords(content, show) ||
        !read_melody(content, show))
        return false;
    // The exchange sort of the file format: every position against every
    // later one. At most 1000 entries, so its cost does not matter.
    for (size_t i = 0; i + 1 < keywords_.size(); ++i)
        for (size_t j = i + 1; j < keywords_.size(); ++j)
            if (keywords_[i].word > keywords_[j].word) std::swap(keywords_[i], keywords_[j]);
    return true;
}

bool Prosody::read_durations(std::string_view content, const ShowMessage& show) {
    const auto body = section_body(content, host::w1252("[DURAÇÃO]"));
    if (!body) {
        show_message(show, msg_no_durations);
        return false;
    }
    for (const std::string_view line : *body) {
        if (durations_.size() >= max_durations) break;
        const size_t equals = line.find('=');
        if (equals == line.npos) {
            show_message(show, msg_bad_phoneme, line);
            return false;
        }
        DurationEntry entry;
        entry.symbol = std::string(trim(line.substr(0, equals)).substr(0, 2));
        const std::optional<int> ms = whole_number(line.substr(equals + 1));
        if (!ms) show_message(show, msg_bad_phoneme, line);  // warns, and loading goes on
        entry.milliseconds = ms.value_or(default_duration_ms);
        entry.key = symbol_key(entry.symbol);
        durations_.push_back(std::move(entry));
    }
    return true;
}

bool Prosody::read_keywords(std::string_view content, const ShowMessage& show) {
    const auto body = section_body(content, "[CHAVES]");
    if (!body) {
        show_message(show, msg_no_keywords);
        return false;
    }
    for (const std::string_view line : *body) {
        if (keywords_.size() >= max_keywords) break;
        const size_t equals = line.find('=');
        if (equals == line.npos) {
            show_message(show, msg_bad_key, line);
            return false;
        }
        keywords_.push_back(KeywordEntry{upper_case(trim(line.substr(0, equals))),
                                         upper_case(trim(line.substr(equals + 1)).substr(0, 2))});
    }
    return true;
}

bool Prosody::read_melody(std::string_view content, const ShowMessage& show) {
    const auto body = section_body(content, host::w1252("[PROSÓDIA]"));
    if (!body) {
        show_message(show, msg_no_melody);
        return false;
    }
    for (const std::string_view raw : *body) {
        const std::string upper = upper_case(raw);
        const std::string_view line = trim(upper);
        if (line.starts_with("HERTZ=")) {
            const std::optional<int> hz = whole_number(line.substr(6));
            if (!hz) return false;
            base_pitch_hz = *hz;
            continue;
        }
        if (line.starts_with("TABHERTZ=")) {
            std::array<int, 10> scale{};
            std::string_view rest = line.substr(9);
            for (size_t digit = 0; digit < scale.size(); ++digit) {
                const size_t comma = rest.find(',');
                const std::optional<int> percent = whole_number(rest.substr(0, comma));
                if (!percent) return false;
                scale[digit] = *percent;
                // Fewer than ten numbers leave an empty field, which fails.
                rest = comma == rest.npos ? std::string_view() : rest.substr(comma + 1);
            }
            pitch_scale = scale;
            continue;
        }
        if (patterns_.size() >= max_patterns) continue;  // pattern lines past the 300th
        const size_t equals = line.find('=');
        if (equals == line.npos) {
            show_message(show, msg_bad_key, raw);
            return false;
        }
        MelodyPattern pattern;
        std::string_view fields = trim(line.substr(0, equals));
        std::string* targets[] = {&pattern.left, &pattern.middle, &pattern.right};
        for (std::string* field : targets) {
            const size_t bar = fields.find('|');
            *field = std::string(fields.substr(0, std::min<size_t>(bar, 3)));
            if (bar == fields.npos) break;
            fields = fields.substr(bar + 1);
        }
        // Always three characters, so the "code|token" items keep their
        // layout; a short code is padded with blanks, which give no pitch.
        pattern.code = std::string(trim(line.substr(equals + 1)).substr(0, 3));
        pattern.code.resize(3, ' ');
        patterns_.push_back(std::move(pattern));
    }
    return true;
}

int Prosody::phoneme_duration(std::string_view symbol) const {
    const uint32_t key = symbol_key(symbol);
    if (key == UINT32_MAX) return default_duration_ms;
    for (const DurationEntry& entry : durations_)
        if (entry.key == key) return entry.milliseconds;
    return default_duration_ms;
}

std::string Prosody::keyword_category(std::string_view word) const {
    const std::string key = upper_case(word);
    const auto it = std::lower_bound(
        keywords_.begin(), keywords_.end(), key,
        [](const KeywordEntry& entry, const std::string& k) { return entry.word < k; });
    if (it == keywords_.end() || it->word != key) return {};
    return it->category;
}

// ---- the diphone list

namespace {

// The symbols of the list: letters of either case, "@", "2", "_", and "~",
// which the voice's nasal vowels carry ("a~"): without it their diphones
// could not be named at all.
bool is_symbol_character(char c) {
    const auto b = static_cast<uint8_t>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
    if (c == '@' || c == '2' || c == '_' || c == '~') return true;
    return b >= 0x80 && upper_case(c) != lower_case(c);
}

// Case-insensitive order: the code page's upper case compared byte by byte.
// Sorting and searching use this one order, so the search always agrees with
// the sort.
int compare_without_case(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<uint8_t>(upper_case(a[i]));
        const auto y = static_cast<uint8_t>(upper_case(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

bool DiphoneList::load_diphone_list(host::Files& files, std::string_view path) {
    free_diphone_list();
    std::vector<uint8_t> bytes;
    if (!files.read_whole(path, bytes)) return false;
    parse(as_text(bytes));
    return true;
}

void DiphoneList::parse(std::string_view content) {
    entries_.clear();
    folded_.clear();
    diphone::for_each_line(content, [&](std::string_view line) {
        line = trim(line);
        if (line.empty() || line[0] == '!' || line[0] == '*' || line[0] == ';') return true;
        size_t i = 0;
        while (i < line.size() && is_symbol_character(line[i])) ++i;
        std::string entry(line.substr(0, i));
        while (i < line.size() && !is_symbol_character(line[i])) ++i;
        const size_t second = i;
        while (i < line.size() && is_symbol_character(line[i])) ++i;
        entry += '-';
        entry += line.substr(second, i - second);
        entries_.push_back(std::move(entry));
        return true;
    });
    std::sort(entries_.begin(), entries_.end(), [](const std::string& a, const std::string& b) {
        return compare_without_case(a, b) < 0;
    });
    for (const std::string& entry : entries_) folded_.insert(upper_case(entry));
}

bool DiphoneList::has_diphone(std::string_view first, std::string_view second) const {
    std::string key;
    key.reserve(first.size() + second.size() + 1);
    for (const char c : first) key.push_back(upper_case(c));
    key.push_back('-');
    for (const char c : second) key.push_back(upper_case(c));
    return folded_.count(key) != 0;
}

}  // namespace vedra
