#include "vedra/tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/text.h"

namespace {

using Lines = std::vector<std::string>;

vedra::Prosody prosody_of(std::string_view durations, std::string_view keywords,
                          std::string_view melody) {
    vedra::Prosody p;
    const std::string text = "[DURAÇÃO]\n" + std::string(durations) + "[CHAVES]\n" +
                             std::string(keywords) + "[PROSÓDIA]\n" + std::string(melody);
    EXPECT_TRUE(p.parse(host::w1252(text), nullptr));
    return p;
}

vedra::DiphoneList every_pair(const std::vector<std::string>& symbols) {
    std::string text;
    for (const std::string& a : symbols)
        for (const std::string& b : symbols) text += a + "-" + b + "\n";
    vedra::DiphoneList list;
    list.parse(text);
    return list;
}

const char* const example_melody = "HERTZ=230\nTABHERTZ=0,0,80,0,0,100,0,0,120,0\n";

// The worked example: "casa" with code 582, base pitch 230, scale 5 = 100,
// 8 = 120, 2 = 80. One duration table gives "a" one duration, so the rows
// come from two tables: with a = 100 the first three rows and the last row's
// pitch target; with a = 90 the last row (90 x 145 % = 130). The stressed
// lengthening lasts to the end of the word, which is how the last "a" gets
// 130 from 90.
TEST(MbrolaLines, WorkedExampleCasa) {
    const Lines script = {";582|casa", "k", ">a", "z", "a", "", "__"};
    const vedra::DiphoneList diphones = every_pair({"_", "k", "a", "z"});
    std::string current;

    const vedra::Prosody table100 = prosody_of("k=60\na=100\nz=80\n", "", example_melody);
    EXPECT_EQ(vedra::make_mbrola_lines(script, 1.0, 1.0, table100, diphones, current),
              (Lines{";casa", "k 60 50 230", "a 145 80 276", "z 116", "a 145 50 184", "",
                     "_ 100 50 184"}));
    const vedra::Prosody table90 = prosody_of("k=60\na=90\nz=80\n", "", example_melody);
    const Lines lines = vedra::make_mbrola_lines(script, 1.0, 1.0, table90, diphones, current);
    EXPECT_EQ(lines[4], "a 130 50 184");
    EXPECT_EQ(current, "_");  // every script ends with "__": the next text starts after "_"
}

TEST(MbrolaLines, DurationsPausesAndFactors) {
    const vedra::Prosody p = prosody_of("a=100\ne=50\n_,=200\n", "", example_melody);
    const vedra::DiphoneList d = every_pair({"_", "a", "e"});
    struct Case {
        Lines script;
        double duration_factor;
        double pitch_factor;
        Lines expected;
    };
    const Case cases[] = {
        // A pause with its own number, a lone "_", a marker from the table.
        {{";555|,", "_ 250", "_", "_,"}, 1.0, 1.0, {";,", "_ 250 50 230", "_ 100", "_ 200"}},
        // 145 % lasts until a line starting with "¨" or an empty line.
        {{";555|xx", ">a", "e",
          "\xA8"
          "e",
          "a", "", "a"},
         1.0,
         1.0,
         {";xx", "a 145 80 230", "e 72", "e 50", "a 100 50 230", "", "a 100 50 230"}},
        // ">¨": both marks removed, stressed.
        {{";585|a",
          ">\xA8"
          "a"},
         1.0,
         1.0,
         {";a", "a 145 80 276"}},
        // Factors scale duration and pitch; the result is truncated.
        {{";555|a", "a"}, 0.5, 1.5, {";a", "a 50 50 345"}},
        // Factors beyond reason are clamped, never converted out of range.
        {{";555|a", "a"}, 1e300, -1.0, {";a", "a 21474836 50 0"}},
        // A non-digit melody character or a zero scale entry gives no target.
        {{";x1x|a", "a", ">e", "a", ""}, 1.0, 1.0, {";a", "a 100", "e 72", "a 145", ""}},
    };
    for (const Case& c : cases) {
        std::string current;
        EXPECT_EQ(
            vedra::make_mbrola_lines(c.script, c.duration_factor, c.pitch_factor, p, d, current),
            c.expected)
            << c.script[0];
    }
}

TEST(MbrolaLines, LongWordsAreShortenedBeforeTheStress) {
    const vedra::Prosody p = prosody_of("a=100\n", "", "");
    const vedra::DiphoneList d = every_pair({"_", "a"});
    std::string current;
    // ";" + 14 letters is 15 characters: 80 %; ";" + 9 letters: 90 %; 8 letters: 100 %.
    EXPECT_EQ(
        vedra::make_mbrola_lines({";555|abcdefghijklmn", "a", ">a", "a"}, 1.0, 1.0, p, d, current),
        (Lines{";abcdefghijklmn", "a 80", "a 145", "a 145"}));
    EXPECT_EQ(vedra::make_mbrola_lines({";555|abcdefghi", "a"}, 1.0, 1.0, p, d, current)[1],
              "a 90");
    EXPECT_EQ(vedra::make_mbrola_lines({";555|abcdefgh", "a"}, 1.0, 1.0, p, d, current)[1],
              "a 100");
}

TEST(MbrolaLines, MissingDiphonesAreFilledIn) {
    const vedra::Prosody p = prosody_of("", "", "");
    struct Case {
        const char* list;
        Lines expected;
    };
    const Lines script = {";555|x", "r2", "a"};
    const Case cases[] = {
        // r2 can be followed by a pause: "_ 50".
        {"_-r2\nr2-_\nr2-y\n", {";x", "r2 100", "_ 50", "a 100"}},
        // Else a glide when the previous symbol has one.
        {"_-r2\nr2-y\n", {";x", "r2 100", "y 50", "a 100"}},
        // Else a pause; a missing first diphone too.
        {"", {";x", "_ 50", "r2 100", "_ 50", "a 100"}},
    };
    for (const Case& c : cases) {
        vedra::DiphoneList d;
        d.parse(c.list);
        std::string current;
        EXPECT_EQ(vedra::make_mbrola_lines(script, 1.0, 1.0, p, d, current), c.expected) << c.list;
    }
}

TEST(TokenList, CategoriesAndMelodyCodes) {
    const vedra::Prosody p = prosody_of("", "de=PR\n", "|--|=558\n|XX|=?31\n|PR|=?44\n|..|=333\n");
    struct Case {
        const char* text;
        bool melody;
        Lines expected;
    };
    const Case cases[] = {
        // A run of full stops is one ".-" token followed by a boundary.
        {"casa...", false, {"555|", "555|casa", "555|.", "555|"}},
        // After a code ending in 8, ?31 becomes 831; then 131.
        {"casa de pedra", true, {"558|", "831|casa", "144|de", "431|pedra"}},
        // "?" or "!" or "." starts a new sentence; other marks are tokens.
        {"sim! e, (a)",
         true,
         {"558|", "831|sim", "555|!", "558|", "831|e", "555|,", "555|(", "531|a", "555|)"}},
        {"", true, {"558|"}},
        {"   ", false, {"555|"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vedra::make_token_list(c.text, c.melody, p), c.expected) << c.text;

    // Without patterns every code is 555; accented letters are word letters.
    const vedra::Prosody none = prosody_of("", "", "");
    EXPECT_EQ(vedra::make_token_list(host::w1252("ação."), true, none),
              (Lines{"555|", "555|" + host::w1252("ação"), "555|.", "555|"}));
    // Categories: keyword, XX, a character twice, ".-", "--".
    const auto list = vedra::categorise_tokens("de casa?..", p);
    std::vector<std::string> categories;
    for (const auto& t : list) categories.push_back(t.category);
    EXPECT_EQ(categories, (Lines{"--", "PR", "XX", "??", "--", ".-", "--"}));
}

}  // namespace
