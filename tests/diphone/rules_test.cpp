#include "diphone/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "diphone_helpers.h"

namespace {

using diphone::ExceptionTable;
using diphone::Rule;
using diphone::RuleTable;

TEST(RuleLine, PartsDelimitersAndLimits) {
    struct Case {
        const char* line;
        Rule expected;
    };
    const Case cases[] = {
        {"(A)=a|remark after the bar", {"", "A", "", "a"}},
        {"#(ABCDEFG)+=x", {"#", "ABCDE", "+", "x"}},  // 7-character match keeps 5
        {"ABCDEFG(B)HIJKLMN=z", {"ABCDE", "B", "HIJKL", "z"}},
        {"(B)=abcdefghijklmn|", {"", "B", "", "abcdefghijk"}},  // output keeps 11
        {"%(C", {"%", "C", "", ""}},                            // no ")": match takes the rest
        {"(C)+", {"", "C", "+", ""}},                           // no "=": empty output
        {"only a left context", {"only ", "", "", ""}},
        {"(X)=a=b|c|d", {"", "X", "", "a=b"}},  // "=" inside the output stays
        {"((Y)=y", {"", "(Y", "", "y"}},        // a "(" inside the match stays
        {"", {"", "", "", ""}},
    };
    for (const auto& c : cases) {
        const Rule r = diphone::parse_rule_line(c.line);
        EXPECT_EQ(r.left, c.expected.left) << c.line;
        EXPECT_EQ(r.match, c.expected.match) << c.line;
        EXPECT_EQ(r.right, c.expected.right) << c.line;
        EXPECT_EQ(r.output, c.expected.output) << c.line;
    }
}

TEST(RuleTable, BucketsKeepFileOrderAndSkipUnstorableLines) {
    RuleTable table;
    diphone::parse_diphone_rules(
        "(A)%=first|\r\n"
        "(B)=b|\n"
        "\n"
        "(A)=second|\r"
        "(a)=lower case match is outside 32..95|\n"
        "()=empty match|\n"
        "no delimiters at all\n"
        "(_)=underscore is the last bucket|\n"
        "( )=space is the first|\n"
        "(A)=third",
        table);
    const auto& a = table.bucket('A');
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0].output, "first");
    EXPECT_EQ(a[1].output, "second");
    EXPECT_EQ(a[2].output, "third");
    EXPECT_EQ(table.bucket('B').size(), 1u);
    EXPECT_EQ(table.bucket('_').size(), 1u);
    EXPECT_EQ(table.bucket(' ').size(), 1u);
    EXPECT_TRUE(table.bucket('a').empty());
    EXPECT_TRUE(table.bucket(200).empty());
    EXPECT_EQ(table.size(), 6u);
}

std::string exceptions_text(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

TEST(ExceptionTable, SortedLookupAndLineForms) {
    ExceptionTable table;
    diphone::parse_diphone_exceptions(exceptions_text({
                                          "zebra=zEbra",
                                          "casa=kAza|remark",
                                          "",
                                          "Casa=upper case word is its own entry",
                                          "semigual",
                                          "a=",
                                          "ab=x=y",
                                      }),
                                      table);
    EXPECT_EQ(table.size(), 6u);  // the empty line takes no slot
    ASSERT_NE(table.find("zebra"), nullptr);
    EXPECT_EQ(*table.find("zebra"), "zEbra");
    EXPECT_EQ(*table.find("casa"), "kAza");
    EXPECT_EQ(*table.find("Casa"), "upper case word is its own entry");
    EXPECT_EQ(*table.find("a"), "");
    EXPECT_EQ(*table.find("ab"), "x=y");
    EXPECT_EQ(table.find("semigual"), nullptr);  // a line without "=" never matches
    EXPECT_EQ(table.find("cas"), nullptr);
    EXPECT_EQ(table.find("casas"), nullptr);
    EXPECT_TRUE(std::is_sorted(table.entries().begin(), table.entries().end(),
                               [](const auto& x, const auto& y) { return x.word < y.word; }));
}

TEST(ExceptionTable, LongLinesAreCutTo255) {
    ExceptionTable table;
    const std::string word(250, 'p');
    diphone::parse_diphone_exceptions(word + "=abcdefghij\n" + std::string(300, 'q') + "=r\n",
                                      table);
    ASSERT_NE(table.find(word), nullptr);
    EXPECT_EQ(*table.find(word), "abcd");  // 250 + "=" + 4 = 255
    EXPECT_EQ(table.find(std::string(300, 'q')), nullptr);
}

TEST(ExceptionTable, StopsAt15000Entries) {
    std::string text;
    for (int i = 15001; i >= 1; --i)
        text += "w" + std::to_string(i) + "=r" + std::to_string(i) + "\n\n";
    ExceptionTable table;
    diphone::parse_diphone_exceptions(text, table);
    EXPECT_EQ(table.size(), 15000u);
    // Lines were given in descending order: the 15001st line is "w1".
    EXPECT_EQ(table.find("w1"), nullptr);
    ASSERT_NE(table.find("w2"), nullptr);
    EXPECT_EQ(*table.find("w2"), "r2");
    ASSERT_NE(table.find("w15001"), nullptr);
}

TEST(ExceptionTable, QuicksortMatchesAReferenceSortWithDuplicatesAndHighBytes) {
    std::mt19937 generator(42);
    for (const size_t n : {2u, 3u, 17u, 1000u}) {
        ExceptionTable table;
        std::vector<std::string> words;
        for (size_t i = 0; i < n; ++i) {
            std::string w;
            const size_t length = generator() % 4;
            for (size_t k = 0; k < length; ++k) w.push_back("ab\xE9z"[generator() % 4]);
            words.push_back(w);
            table.add({w, w});
        }
        table.sort();
        std::sort(words.begin(), words.end());  // byte-wise: "\xE9" after "z"
        ASSERT_EQ(table.size(), words.size());
        for (size_t i = 0; i < n; ++i) EXPECT_EQ(table.entries()[i].word, words[i]) << n;
        for (const auto& w : words) EXPECT_NE(table.find(w), nullptr);
    }
}

TEST(LexiconLoading, MissingFilesFailAndRulesLoadResetsExceptions) {
    diphone_test::SynthFolders folders;
    host::native::Files files;
    diphone::Lexicon lexicon;
    EXPECT_FALSE(diphone::load_diphone_rules(files, folders.diphones + "/absent.rgr", lexicon));
    EXPECT_FALSE(
        diphone::load_diphone_exceptions(files, folders.diphones + "/absent.exc", lexicon));

    folders.write_exceptions("casa=kAza\n");
    folders.write_rules("(A)=a|\n");
    // Case-insensitive names, as on the original file system.
    ASSERT_TRUE(diphone::load_diphone_exceptions(files, folders.diphones + "/PORTUG.EXC", lexicon));
    EXPECT_EQ(lexicon.exceptions.size(), 1u);
    ASSERT_TRUE(diphone::load_diphone_rules(files, folders.diphones + "/Regras.rgr", lexicon));
    EXPECT_EQ(lexicon.rules.size(), 1u);
    EXPECT_EQ(lexicon.exceptions.size(), 0u);
    diphone::free_diphone_rules(lexicon);
    EXPECT_EQ(lexicon.rules.size(), 0u);
}

}  // namespace
