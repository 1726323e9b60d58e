#include "diphone/letter_to_sound.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "host/text.h"

namespace {

using diphone::convert_to_phonemes;
using diphone::Lexicon;
using host::w1252;

Lexicon lexicon_with(const std::string& rules, const std::string& exceptions = "") {
    Lexicon lexicon;
    diphone::parse_diphone_rules(rules, lexicon.rules);
    diphone::parse_diphone_exceptions(exceptions, lexicon.exceptions);
    return lexicon;
}

TEST(Normalise, LettersMarksAndUnmappedCodes) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {w1252("Ação"), "Assa~o"},
        {w1252("àâãáéêíóôõúüç"), "a`a^a~a'e'e^i'o'o^o~u'uss"},  // Windows ü is a plain u
        {w1252("ÀÂÃÁÉÊÍÓÔÕÚÜÇ"), "a`a^a~a'e'e^i'o'o^o~u'uss"},
        {"\x81\x9A\x89", "u\"u\"e\""},  // the old code page's diaeresis letters
        {w1252("ñÑ"), "nhnh"},
        {w1252("¿¡"), "?i'"},    // 161 is i-acute in the old code page
        {w1252("ª"), " \x01 "},  // 170 itself maps to nothing; 171 maps to it
        {"\xAB\xBB", "\xAA\xBA"},
        {"\x9D\xFF", " \x01  \x01 "},
        {"a\tb\x01", "a \x01 b \x01 "},
        {"kiwi W w a w b Wa", "kiui W w a w b ua"},
        {"yes Y by", "ies Y bi"},
        {"d'agua D'Ouro l'a 'a", "dagua DOuro l'a 'a"},
        {"w", "w"},
        {"ww", "uu"},  // w is itself a letter
    };
    for (const auto& c : cases) EXPECT_EQ(diphone::normalise_text(c.in), c.out) << c.in;
}

TEST(Normalise, EveryUpperCodeMapsToTheAccentTableOrToCodeOne) {
    for (int code = 128; code < 256; ++code) {
        const std::string in(1, static_cast<char>(code));
        const std::string out = diphone::normalise_text(in);
        const std::string_view replacement =
            diphone::accent_replacement(static_cast<unsigned char>(code));
        EXPECT_EQ(out, replacement.empty() ? std::string(" \x01 ") : std::string(replacement))
            << code;
    }
    EXPECT_EQ(diphone::accent_replacement(152), "y-");
    EXPECT_EQ(diphone::accent_replacement(145), "ae");
    EXPECT_EQ(diphone::accent_replacement(216), "0");
}

TEST(Stress, WorkedExamplesAndSkips) {
    struct Case {
        std::string word;
        std::string stressed;
        int vowels;
        bool has_mark;
    };
    const Case cases[] = {
        {"casa", "cAsa", 2, false},
        {"papel", "papEl", 2, false},
        {"tupi", "tupI", 2, false},
        {"rainha", "raInha", 3, false},
        {"praia", "prAia", 3, false},
        {"ele", "Ele", 2, false},
        {"sol", "sOl", 1, false},
        {"par", "par", 1, false},
        {"homem", "hOmem", 2, false},
        {"jardim", "jardIm", 2, false},
        {"bom", "bom", 1, false},
        {"casas", "cAsas", 2, false},
        {"assa~o", "assa~o", 3, true},
        {"bcd", "bcd", 0, false},
        {"bolA", "bOlA", 2, false},  // a final upper-case vowel is passed over
        {"ba", "ba", 2, false},      // the scan runs off the word: no stress
        {"cafe'", "cafe'", 2, true},
        // The diaeresis does not count as a mark, and as the character before the
        // i it takes the stress, which shows nothing.
        {"lingu\"ica", "lingu\"ica", 4, false},
    };
    for (const auto& c : cases) {
        std::string w = c.word;
        diphone::mark_stress(w, c.vowels, c.has_mark);
        EXPECT_EQ(w, c.stressed) << c.word;
    }
}

TEST(Stress, FinalIUAndIUBeforeTheLastVowel) {
    const std::pair<const char*, const char*> cases[] = {
        // after a final i or u: a consonant before it keeps the stress on it
        {"tupi", "tupI"},
        // the silent u of "gu"/"qu" is never stressed: the final i is
        {"aqui", "aquI"},
        {"sagui", "saguI"},
        {"quis", "quIs"},
        // a vowel after "gu"/"qu" takes the stress like any other
        {"uruguai", "uruguAi"},
        {"quai", "quAi"},
        // otherwise the character seen is the stressed one
        {"papai", "papAi"},
        {"ai", "Ai"},  // selected at the first character
        {"ui", "Ui"},
        {"iuns", "Iuns"},
        // i or u before the last vowel
        {"tia", "tIa"},        // consonant before it
        {"aguia", "aguIa"},    // u after g before it
        {"aquia", "aquIa"},    // u after q
        {"cairro", "caIrro"},  // followed by rr
        {"cairdo", "caIrdo"},  // followed by r and a consonant
        {"cairho", "cAirho"},  // r then h does not close it
        {"caido", "cAido"},    // d is not one of l m n r z
        {"caina", "cAina"},    // n not followed by h
        {"cainha", "caInha"},
        {"caulzo", "caUlzo"},
        // the silent u of "gue"/"que" passes the stress to the vowel before it
        {"pague", "pAgue"},
        {"paguem", "pAguem"},
        {"cerques", "cErques"},
        {"seguem", "sEguem"},
        {"quem", "quem"},  // no vowel before it: no stress
        {"agua", "agUa"},  // before a or o the u is heard
    };
    for (const auto& [in, out] : cases) {
        std::string w = in;
        const auto vowels = static_cast<int>(std::count_if(w.begin(), w.end(), [](char c) {
            return std::string_view("aeiou").find(c) != std::string_view::npos;
        }));
        diphone::mark_stress(w, vowels, false);
        EXPECT_EQ(w, out) << in;
    }
}

TEST(Exceptions, PeelingFinalSAndMKeepsTheirOrder) {
    diphone::ExceptionTable table;
    diphone::parse_diphone_exceptions("casa=kAza\nxyz=XYZ\nama=AMA\nam=AM\n=empty word\n", table);
    const std::pair<const char*, const char*> cases[] = {
        {"casa", "kAza"},   {"casas", "kAzas"}, {"casass", "kAzass"}, {"xyzms", "XYZms"},
        {"xyzsm", "XYZsm"}, {"amas", "AMAs"},   {"casat", "casat"},   {"mm", "mm"},
        {"s", "s"},         {"xyzmt", "xyzmt"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(diphone::respell_word(table, in), out) << in;
}

std::string fires(const std::string& rule, const std::string& word) {
    diphone::RuleTable rules;
    diphone::parse_diphone_rules(rule + "=hit|", rules);
    return diphone::apply_rules(rules, word);
}

TEST(Rules, LeftContextClassSymbols) {
    struct Case {
        const char* rule;
        const char* word;
        bool hit;
    };
    const Case cases[] = {
        {"#(B)", "ab", true},   {"#(B)", "a'b", true},    {"#(B)", "cb", false},
        {"#(B)", "b", false},   {"K#(B)", "ka'eb", true}, {"K#(B)", "kcab", false},
        {"%(B)", "b", true},    {"%(B)", "ab", false},    {"](B)", "ab", true},
        {"](B)", "Ob", true},   {"](B)", "eb", false},    {"](B)", "a~b", true},
        {"](B)", "e~b", false}, {"](B)", "b", false},     {"K](B)", "ka~b", true},
        {"K](B)", "kab", true}, {"K](B)", "kxab", false}, {"_(B)", "b", true},
        {"_(B)", "ab", true},   {"_(B)", "cb", false},    {"K_(B)", "ka'b", true},
        {"K_(B)", "kab", true}, {"_(B)", "~b", false},    {"|(B)", "nb", true},
        {"|(B)", "rb", true},   {"|(B)", "sb", true},     {"|(B)", "tb", false},
        {"|(B)", "Nb", false},  {"|(B)", "b", false},     {"C(B)", "cb", true},
        {"C(B)", "xb", false},  {"C(B)", "b", false},     {"*(B)", "*b", true},
        {"*(B)", "tb", false},  // "*" is plain on the left
        {"+(B)", "eb", false},  {"&(B)", "lb", false},    {"[(B)", "b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fires(c.rule, c.word).find("hit") != std::string::npos, c.hit)
            << c.rule << " on " << c.word;
}

TEST(Rules, RightContextClassSymbols) {
    struct Case {
        const char* rule;
        const char* word;
        bool hit;
    };
    const Case cases[] = {
        {"(B)#", "ba", true},    {"(B)#", "b~", true},     {"(B)#", "bc", false},
        {"(B)#", "b", false},    {"(B)#K", "bae'k", true}, {"(B)#K", "bak", true},
        {"(B)%", "b", true},     {"(B)%", "ba", false},    {"(B)*", "bt", true},
        {"(B)*", "br", false},   {"(B)*", "bl", false},    {"(B)*", "ba", false},
        {"(B)*", "b", false},    {"(B)*T", "bt", true},    {"(B)+", "be", true},
        {"(B)+", "bI", true},    {"(B)+", "ba", false},    {"(B)+", "b", false},
        {"(B)+K", "be'k", true}, {"(B)+K", "bek", true},   {"(B)&", "bl", true},
        {"(B)&", "bn", true},    {"(B)&", "bm", true},     {"(B)&", "br", true},
        {"(B)&", "bz", true},    {"(B)&", "bt", false},    {"(B)&", "b", false},
        {"(B)&K", "bnk", true},  {"(B)[", "b", true},      {"(B)[", "bt", true},
        {"(B)[", "bh", false},   {"(B)[", "ba", false},    {"(B)[T", "bt", true},
        {"(B)\\", "b", true},    {"(B)\\K", "bsk", true},  {"(B)\\K", "bk", true},
        {"(B)\\%", "bs", true},  {"(B)K", "bk", true},     {"(B)K", "b", false},
        {"(B)_", "b_", true},    {"(B)_", "b", false},  // "_" is plain on the right
        {"(B)]", "b]", true},    {"(B)|", "b|", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fires(c.rule, c.word).find("hit") != std::string::npos, c.hit)
            << c.rule << " on " << c.word;
}

TEST(Rules, OrderDefaultsAdvanceAndStressedOutput) {
    const Lexicon lexicon = lexicon_with(
        "(BAB)=never|\n(B)%=first|\n(B)=second|\n(CH)=x|\n(A)=ya|\n(E)=j|\n(OB)=obo|\n");
    const auto& rules = lexicon.rules;
    EXPECT_EQ(diphone::apply_rules(rules, "b"), "[first]");
    EXPECT_EQ(diphone::apply_rules(rules, "ba"), "[second/ya]");
    EXPECT_EQ(diphone::apply_rules(rules, "chd"),
              "[x/ /_D]");  // two letters consumed; D has no rule
    EXPECT_EQ(diphone::apply_rules(rules, "ba"), "[second/ya]");  // "BAB" is longer than the rest
    EXPECT_EQ(diphone::apply_rules(rules, "A"), "[yA]");
    EXPECT_EQ(diphone::apply_rules(rules, "E"), "[j]");
    EXPECT_EQ(diphone::apply_rules(rules, "Ob"), "[Obo]");        // only the first vowel
    EXPECT_EQ(diphone::apply_rules(rules, "\xE9"), "[ /_\xE9]");  // no bucket above 95
}

TEST(Convert, WordsSpellingAndExceptions) {
    const Lexicon lexicon = lexicon_with(
        "(A~)=a~|\n(A)=a|\n(S)=s|\n(~)=never stored: above 95|\n(O)=o|\n(C)=k|\n(Z)=z|\n(K)=k|\n",
        "casa=kAza\nxis=bcd\nnada=\n");
    struct Case {
        std::string text;
        std::string phonemes;
    };
    const Case cases[] = {
        {"", ""},
        {"    ", ""},
        {"bcd", "[ /_b][ /_c][ /_d]"},
        {",", "[ /_,]"},
        {"b,c", "[ /_b][ /_,][ /_c]"},  // the comma is a word of its own
        {"\t", "[ /_\x01]"},
        {w1252("Ação"), "[a/s/s/a~/o]"},  // a mark: no stress
        {"CASA", "[k/A/z/a]"},            // respelled
        {"Casas", "[k/A/z/a/s]"},
        {"casa xis", "[k/A/z/a][ /_b][ /_c][ /_d]"},  // a respelling can be spelled
        {"nada", ""},                                 // an empty respelling says nothing
        {"zaza", "[z/A/z/a]"},
        {"sa\x01", "[s/a][ /_\x01]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert_to_phonemes(lexicon, c.text), c.phonemes) << c.text;
}

TEST(Convert, EmptyTablesGiveDefaultsOrSpelling) {
    const Lexicon empty;
    EXPECT_EQ(convert_to_phonemes(empty, "ab"), "[ /_A/ /_B]");
    EXPECT_EQ(convert_to_phonemes(empty, "casa"), "[ /_C/ /_A/ /_S/ /_A]");
    EXPECT_EQ(convert_to_phonemes(empty, "- x"), "[ /_-][ /_x]");
}

TEST(Convert, OverLongRunsAreSplitNotLost) {
    const Lexicon lexicon =
        lexicon_with("(B)=b|\n(A)=a|\n", std::string("x=") + std::string(254, 'b') + "\n");
    std::string run;
    for (int i = 0; i < 150; ++i) run += "ba";
    const std::string out = convert_to_phonemes(lexicon, run);
    EXPECT_EQ(std::count(out.begin(), out.end(), '['), 2);  // 256 + 44 characters
    EXPECT_EQ(std::count(out.begin(), out.end(), 'b') + std::count(out.begin(), out.end(), 'a') +
                  std::count(out.begin(), out.end(), 'A'),
              300);
    // The respelling plus its peeled suffix is cut to the word buffer.
    const std::string spelled = convert_to_phonemes(lexicon, "xsss");
    EXPECT_EQ(std::count(spelled.begin(), spelled.end(), '['), 256);
}

}  // namespace
