#include "vedra/exceptions.h"

#include <gtest/gtest.h>

#include <string>

#include "host/native.h"
#include "support.h"

namespace {

vedra::AbbreviationTable abbreviations(std::string_view content) {
    vedra::AbbreviationTable table;
    vedra::parse_abbreviations(content, table);
    return table;
}

vedra::ExceptionTable exceptions(std::string_view content) {
    vedra::ExceptionTable table;
    vedra::parse_exceptions(content, table);
    return table;
}

TEST(Abbreviations, LinesGiveKeysAndExpansions) {
    const auto table = abbreviations(
        "  Sr = Senhor  \r\n"
        "; Dr = comentario\n"
        "\n"
        "Sr. = Senhora\n"
        "semigual\n"
        "av=Avenida\n"
        "s\xE9\x63=S\xE9\x63ulo\n"  // séc = Século
        "Sr=Segundo\n");
    struct Case {
        const char* word;
        const char* expansion;
    };
    const Case cases[] = {
        {"Sr", "Senhor"},               // blanks around both parts removed, first entry wins
        {"SR", "Senhor"},               // keys are upper case, words upper-cased
        {"sr", "Senhor"},               //
        {"Dr", ""},                     // comment line
        {"Sr.", "Senhora"},             // the "." belongs to the key
        {"AV", "Avenida"},              //
        {"S\xC9\x43", "S\xE9\x63ulo"},  // accented letters upper-cased too
        {"semigual", ""},               // a line without "=" never matches
        {"", ""},                       // not even an empty word
    };
    for (const Case& c : cases)
        EXPECT_EQ(vedra::find_abbreviation(table, c.word), c.expansion) << c.word;
    EXPECT_EQ(table.size(), 6u);
}

TEST(Abbreviations, LimitsCutAndStop) {
    const std::string long_expansion(1500, 'x');
    auto table = abbreviations("LONGA=" + long_expansion + "\n");
    EXPECT_EQ(vedra::find_abbreviation(table, "longa").size(), 999u);

    std::string content;
    for (int i = 0; i < 2100; ++i)
        content += "K" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
    table = abbreviations(content);
    EXPECT_EQ(table.size(), vedra::AbbreviationTable::max_entries);
    EXPECT_EQ(vedra::find_abbreviation(table, "K1999"), "v1999");
    EXPECT_EQ(vedra::find_abbreviation(table, "K2000"), "");
}

TEST(Exceptions, LinesAreUpperCasedAndSorted) {
    const auto table = exceptions(
        "zebra=zebra\n"
        "casa=kaza\n"
        "\n"
        "=X\n"
        "semigual\n"
        "t\xF3xico=t\xF3ksico|comentario\n"  // tóxico
        ";CASA=NADA\n");
    struct Case {
        const char* word;
        const char* result;
    };
    const Case cases[] = {
        {"CASA", "KAZA"},
        {"ZEBRA", "ZEBRA"},
        {"T\xD3XICO", "T\xD3KSICO"},  // the respelling stops at "|"
        {";CASA", "NADA"},            // no comment syntax: stored as written
        {"SEMIGUAL", "SEMIGUAL"},     // a line without "=" never matches
        {"", ""},                     // "=X" stored an empty word that never matches
    };
    for (const Case& c : cases) {
        std::string word = c.word;
        vedra::apply_exception(table, word);
        EXPECT_EQ(word, c.result) << c.word;
    }
    EXPECT_EQ(table.size(), 6u);  // the blank line is skipped
}

TEST(Exceptions, PeeledSuffixesComeBack) {
    const auto table = exceptions("MESA=MEZA\nFALA=FALLA\nHOMEM=OMEM\nSM=ESSEEME\n");
    struct Case {
        const char* word;
        const char* result;
    };
    const Case cases[] = {
        {"MESAS", "MEZAS"},     // plural
        {"FALAM", "FALLAM"},    // verb form
        {"FALAMS", "FALLAMS"},  // more than one letter peeled
        {"HOMEM", "OMEM"},      // found before any peeling
        {"HOMENS", "HOMENS"},   // N is not peeled
        {"SSMM", "SSMM"},       // only S and M, not found: unchanged
        {"SMS", "ESSEEMES"},    // peeling stops at the first hit
        {"MESASX", "MESASX"},   //
    };
    for (const Case& c : cases) {
        std::string word = c.word;
        vedra::apply_exception(table, word);
        EXPECT_EQ(word, c.result) << c.word;
    }
}

TEST(Exceptions, DuplicatesLimitsAndLongLines) {
    auto table = exceptions("CASA=UM\nCASA=DOIS\n");
    std::string word = "CASA";
    vedra::apply_exception(table, word);
    EXPECT_TRUE(word == "UM" || word == "DOIS") << word;

    // Given in descending order, all found; the 15001st line is not read.
    std::string content;
    for (int i = 15000; i >= 0; --i) content += "W" + std::to_string(100000 + i) + "=R\n";
    table = exceptions(content);
    EXPECT_EQ(table.size(), vedra::ExceptionTable::max_entries);
    for (const char* w : {"W115000", "W100001", "W107777"}) {
        word = w;
        vedra::apply_exception(table, word);
        EXPECT_EQ(word, "R") << w;
    }
    word = "W100000";
    vedra::apply_exception(table, word);
    EXPECT_EQ(word, "W100000");

    // Only the first 255 characters of a line are read.
    table = exceptions(std::string(250, 'A') + "=BCDEFGHIJ\n");
    word = std::string(250, 'A');
    vedra::apply_exception(table, word);
    EXPECT_EQ(word, "BCDE");
}

TEST(Loaders, MissingFilesFailAndReloadReplaces) {
    host::native::Files files;
    const std::string dir = testsupport::make_temp_dir("vedra_lexicon");
    vedra::AbbreviationTable abbreviations_table;
    vedra::ExceptionTable exceptions_table;
    abbreviations_table.add({"X", "y"});
    EXPECT_FALSE(vedra::load_abbreviations(files, dir + "/nada.abr", abbreviations_table));
    EXPECT_EQ(abbreviations_table.size(), 0u);
    EXPECT_FALSE(vedra::load_exceptions(files, dir + "/nada.exc", exceptions_table));

    testsupport::write_file(dir + "/a.abr", "kg = quilos\n");
    testsupport::write_file(dir + "/a.exc", "casa=kaza\n");
    ASSERT_TRUE(vedra::load_abbreviations(files, dir + "/A.ABR", abbreviations_table));
    ASSERT_TRUE(vedra::load_exceptions(files, dir + "/a.exc", exceptions_table));
    EXPECT_EQ(vedra::find_abbreviation(abbreviations_table, "KG"), "quilos");
    ASSERT_TRUE(vedra::load_exceptions(files, dir + "/a.exc", exceptions_table));
    EXPECT_EQ(exceptions_table.size(), 1u);
}

}  // namespace
