// Converts every word of Debian's Brazilian Portuguese word list (package
// wbrazilian) with the small rules file of the fixtures, and speaks each
// result into a unit counter.
#include <gtest/gtest.h>

#include <filesystem>

#include "diphone/letter_to_sound.h"
#include "diphone_helpers.h"
#include "host/text.h"

namespace {

constexpr const char* word_list = "/usr/share/dict/brazilian";

// Every unit is there; only the counts matter.
struct CountingPlayer : diphone::UnitPlayer {
    uint64_t units = 0;
    void begin_utterance() override {}
    bool play_unit(std::string_view, diphone::StressMode, double) override { return ++units, true; }
    bool play_letter_sound(std::string_view) override { return ++units, true; }
    void append_silence(int) override {}
    void append_noise() override {}
    void flush_speech() override {}
};

bool is_phoneme_char(char c) {
    return std::string_view("aeiouwybcdfgjklmnpqrstvxzhAEIOU^~/ ").find(c) !=
           std::string_view::npos;
}

// Checks the shape of a phoneme string; returns an empty string or the fault.
std::string check_phonemes(const std::string& s, bool word_has_mark) {
    size_t i = 0;
    if (s.empty()) return "empty output";
    while (i < s.size()) {
        if (s[i] != '[') return "group does not start with [";
        const size_t start = i++;
        int stressed = 0;
        bool escaped = false;
        while (i < s.size() && s[i] != ']') {
            const char c = s[i];
            if (c == '_') {
                if (++i >= s.size()) return "_ at the end";
                escaped = true;
            } else if (c == '[') {
                return "nested [";
            } else if (!is_phoneme_char(c)) {
                return std::string("unexpected character ") + c;
            } else if (std::string_view("AEIOU").find(c) != std::string_view::npos) {
                ++stressed;
            }
            ++i;
        }
        if (i >= s.size()) return "unclosed group";
        const std::string group = s.substr(start, i - start + 1);
        ++i;
        // A letter sound appears only in a spelled consonant; every letter
        // has a rule in the fixture file, so no default output may show.
        if (escaped && !(group.size() == 6 && group.compare(0, 4, "[ /_") == 0))
            return "default output in " + group;
        if (stressed > 1) return "more than one stressed vowel in " + group;
        if (word_has_mark && stressed > 0) return "stress marked although the word has an accent";
    }
    return "";
}

TEST(WordList, EveryWordConvertsToAWellFormedPhonemeString) {
    ASSERT_TRUE(std::filesystem::exists(word_list))
        << word_list << " is missing: the setup installs the wbrazilian package";
    const auto bytes = testsupport::read_file(word_list);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    diphone::Lexicon lexicon;
    const auto rules =
        testsupport::read_file(testsupport::source_path("tests/fixtures/diphone/regras.rgr"));
    const auto exceptions =
        testsupport::read_file(testsupport::source_path("tests/fixtures/diphone/portug.exc"));
    diphone::parse_diphone_rules({reinterpret_cast<const char*>(rules.data()), rules.size()},
                                 lexicon.rules);
    diphone::parse_diphone_exceptions(
        {reinterpret_cast<const char*>(exceptions.data()), exceptions.size()}, lexicon.exceptions);
    ASSERT_GT(lexicon.rules.size(), 80u);

    const std::string marks = host::w1252("áàâãéêíóôõú");
    CountingPlayer player;
    diphone::UnitStats stats;
    size_t words = 0;
    size_t faults = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string word = host::utf8_to_cp1252(text.substr(pos, end - pos));
        pos = end + 1;
        if (word.empty()) continue;
        ++words;
        bool has_mark = false;
        for (const char c : word)
            if (marks.find(c) != std::string::npos) has_mark = true;
        const std::string phonemes = diphone::convert_to_phonemes(lexicon, word);
        const std::string fault = check_phonemes(phonemes, has_mark);
        if (!fault.empty() && ++faults <= 10)
            ADD_FAILURE() << host::cp1252_to_utf8(word) << " -> " << host::cp1252_to_utf8(phonemes)
                          << ": " << fault;
        diphone::speak_phonemes(phonemes, false, 100, player, &stats);
    }
    EXPECT_EQ(faults, 0u);
    EXPECT_GT(words, 250000u);
    EXPECT_EQ(stats.requested, stats.found);
    EXPECT_GE(player.units, words);
}

}  // namespace
