#include <gtest/gtest.h>

#include "speech/speech.h"
#include "support.h"

namespace {

struct ConfigTest : ::testing::Test {
    testsupport::Headless headless;
    std::string startup = testsupport::make_temp_dir("startup");
    speech::Config config{headless.host().files, startup + "/"};

    void windows_ini(std::string_view text) {
        testsupport::write_file(headless.windows_dir + "/KORALU.INI", text);
    }
    std::string read(std::string_view section, std::string_view key) {
        return config.read_config_value(section, key);
    }
};

TEST_F(ConfigTest, StartupDirectoryLosesOneTrailingSeparator) {
    EXPECT_EQ(config.startup_directory(), startup);
    EXPECT_EQ(speech::Config(headless.host().files, "C:\\").startup_directory(), "C:");
    EXPECT_EQ(speech::Config(headless.host().files, "C:").startup_directory(), "C:");
}

TEST_F(ConfigTest, TheWindowsFolderFileWinsThenTheStartupDirectoryThenNothing) {
    EXPECT_EQ(read("TRADUTOR", "VELOCIDADE"), "");
    testsupport::write_file(startup + "/KORALU.INI", "[TRADUTOR]\nVELOCIDADE=4\n");
    EXPECT_EQ(read("TRADUTOR", "VELOCIDADE"), "4");
    windows_ini("[TRADUTOR]\nVELOCIDADE=2\n");
    EXPECT_EQ(config.config_file(), "KORALU.INI");
    EXPECT_EQ(read("TRADUTOR", "VELOCIDADE"), "2");
    // Once the Windows folder has the file, the start-up copy is not read.
    EXPECT_EQ(read("TRADUTOR", "NADA"), "");
}

TEST_F(ConfigTest, EmptySectionIsKoraluKeysIgnoreCaseAndValuesStopAt254) {
    windows_ini("[KORALU]\nPGMKORALU=/familia\nLONGO=" + std::string(300, 'x') +
                "\n[TRADUTOR]\nDIRLETRAS=c:\\letras\\\n");
    EXPECT_EQ(read("", "pgmkoralu"), "/familia");
    EXPECT_EQ(read("tradutor", "dirLetras"), "c:\\letras\\");
    EXPECT_EQ(read("", "LONGO").size(), 254u);
}

TEST_F(ConfigTest, AtSignExpansion) {
    struct Case {
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"@\\som\\", "/fam\\som\\"},
        {"@som", "/famsom"},
        {"@", "/fam"},
        {"x@\\y@\\z", "x/fam\\y/fam\\z"},
        {"@\\a@\\b", "/fam\\a/fam\\b"},
        {"a@b", "a@b"},
        {"a@", "a@"},
        {"sem arroba", "sem arroba"},
    };
    for (const Case& c : cases) {
        windows_ini(std::string("[KORALU]\nPGMKORALU=/fam\n[X]\nV=") + c.value + "\n");
        EXPECT_EQ(read("X", "V"), c.expected) << c.value;
    }
}

TEST_F(ConfigTest, FamilyFolderFallsBackToTheStartupDirectory) {
    for (const char* family : {"", "PGMKORALU=\n", "PGMKORALU=@\\outra\n"}) {
        windows_ini(std::string("[KORALU]\n") + family + "[X]\nV=@\\som\\\n");
        EXPECT_EQ(read("X", "V"), startup + "\\som\\") << family;
    }
    // Started at a drive's root: no doubled separator.
    speech::Config root(headless.host().files, "C:\\");
    windows_ini("[X]\nV=@\\som\\\n");
    EXPECT_EQ(root.read_config_value("X", "V"), "C:\\som\\");
}

TEST_F(ConfigTest, AFamilyFolderHoldingAtBackslashIsInsertedAsIs) {
    windows_ini("[KORALU]\nPGMKORALU=c:\\x@\\y\n[X]\nV=@\\a@\\b\n");
    EXPECT_EQ(read("X", "V"), "c:\\x@\\y\\ac:\\x@\\y\\b");
}

TEST(ExpandFamilyFolder, EmptyFolderStillConsumesEveryAtSign) {
    EXPECT_EQ(speech::expand_family_folder("@@x", ""), "x");
    EXPECT_EQ(speech::expand_family_folder("@@\\x", ""), "\\x");
    EXPECT_EQ(speech::expand_family_folder("@@\\x", "F"), "FF\\x");
    EXPECT_EQ(speech::expand_family_folder("", "F"), "");
    // A folder ending in "@" does not join the backslash after it.
    EXPECT_EQ(speech::expand_family_folder("@\\y", "x@"), "x@\\y");
}

TEST(IntegerReadings, LenientAndStrict) {
    struct Case {
        const char* text;
        int32_t lenient;
        std::optional<int32_t> strict;
    };
    const Case cases[] = {
        {"", 0, std::nullopt},
        {"abc", 0, std::nullopt},
        {"12abc", 12, std::nullopt},
        {"$1F", 31, 31},
        {"0x10", 16, 16},
        {"0X1f", 31, 31},
        {"-5", -5, -5},
        {"+7", 7, 7},
        {"  42", 42, 42},
        {"-", 0, std::nullopt},
        {"$", 0, std::nullopt},
        {"0x", 0, std::nullopt},
        {"-$10", -16, -16},
        {"2147483647", 2147483647, 2147483647},
        {"-2147483648", INT32_MIN, INT32_MIN},
        {"99999999999", INT32_MAX, std::nullopt},
        {"12 ", 12, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(speech::lenient_integer(c.text), c.lenient) << c.text;
        EXPECT_EQ(speech::strict_integer(c.text), c.strict) << c.text;
    }
}

TEST(YesNo, EmptyAndNMeanNo) {
    for (const char* no : {"", "N", "n", "nao", "No"}) EXPECT_FALSE(speech::yes_no(no)) << no;
    for (const char* yes : {"S", "1", "sim", "y", " n"}) EXPECT_TRUE(speech::yes_no(yes)) << yes;
}

}  // namespace
