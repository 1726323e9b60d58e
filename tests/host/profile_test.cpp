#include <gtest/gtest.h>

#include "host/native.h"
#include "host/files.h"
#include "support.h"

namespace {

struct ProfileTest : ::testing::Test {
    host::native::Files files;
    std::string dir = testsupport::make_temp_dir("profile");
    std::string ini = dir + "/KORALU.INI";
    std::string read(std::string_view section, std::string_view key, std::string_view fallback = "dflt",
                     size_t size = 255) {
        return host::read_profile_string(files, ini, section, key, fallback, size);
    }
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefaultCutToTheBuffer) {
    EXPECT_EQ(read("VIDEO", "FONTE"), "dflt");
    testsupport::write_file(ini, "[VIDEO]\nFONTE=Arial\n");
    EXPECT_EQ(read("BRAILLE", "FONTE"), "dflt");
    EXPECT_EQ(read("VIDEO", "MODO"), "dflt");
    EXPECT_EQ(read("VIDEO", "MODO", "abcdef", 4), "abc");
}

TEST_F(ProfileTest, NamesIgnoreCaseFirstMatchWinsAndValuesAreTrimmed) {
    testsupport::write_file(ini,
                            "; comment\r\n[Tradutor]\r\n dirLetras =  \"c:\\x y\\\"  \r\n"
                            "DIRLETRAS=second\r\nVAZIO=\r\n[TRADUTOR]\r\nOUTRA=1\r\n");
    EXPECT_EQ(read("TRADUTOR", "DIRLETRAS"), "c:\\x y\\");
    EXPECT_EQ(read("tradutor", "dirletras"), "c:\\x y\\");
    EXPECT_EQ(read("TRADUTOR", "VAZIO"), "");
    // A repeated section does not add keys: the first one is the section.
    EXPECT_EQ(read("TRADUTOR", "OUTRA"), "dflt");
}

TEST_F(ProfileTest, LongValuesAreCutToBufferSizeMinusOne) {
    testsupport::write_file(ini, "[S]\nK=" + std::string(300, 'x') + "\nA=12\n");
    EXPECT_EQ(read("S", "K").size(), 254u);
    EXPECT_EQ(host::read_profile_string(files, ini, "S", "A", "", 2), "1");
    EXPECT_EQ(host::read_profile_string(files, ini, "S", "A", "", 0), "");
}

TEST_F(ProfileTest, BareNameIsLookedUpInTheWindowsFolder) {
    files.folders = host::ConfigFolders::only(dir);
    testsupport::write_file(dir + "/koralu.ini", "[KORALU]\nPGMKORALU=/familia\n");
    EXPECT_EQ(host::read_profile_string(files, "KORALU.INI", "KORALU", "PGMKORALU", "", 255),
              "/familia");
}

// A user file holding one key must not hide the rest of the configuration.
TEST_F(ProfileTest, MissingKeysComeFromTheSystemFileThenTheFamilyFolder) {
    host::ConfigFolders layered{"", dir + "/user", dir + "/etc", dir + "/family", {}};
    testsupport::write_file(layered.user + "/KORALU.INI", "[TRADUTOR]\nVELOCIDADE=3\nVAZIO=\n");
    testsupport::write_file(layered.system + "/Koralu.ini",
                            "[TRADUTOR]\nVELOCIDADE=1\nDIRLETRAS=sistema\nVAZIO=x\n");
    testsupport::write_file(layered.family + "/KORALU.INI",
                            "[TRADUTOR]\nVELOCIDADE=2\nDIRLETRAS=familia\n"
                            "[SINTETIZADOR]\nDIFONES3=VOZ3\n");
    files.folders = layered;
    const struct {
        const char *section, *key, *expected;
    } cases[] = {
        {"TRADUTOR", "VELOCIDADE", "3"},      // the user's file wins
        {"tradutor", "dirletras", "sistema"},  // then the system file
        {"SINTETIZADOR", "DIFONES3", "VOZ3"},  // then the family folder
        {"TRADUTOR", "VAZIO", ""},             // present but empty is a value
        {"VIDEO", "FONTE", "dflt"},            // missing everywhere
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::read_profile_string(files, "KORALU.INI", c.section, c.key, "dflt", 255),
                  c.expected)
            << c.section << "/" << c.key;
    EXPECT_EQ(files.windows_folder(), layered.user);
    EXPECT_EQ(files.profile_layers("KORALU.INI").size(), 3u);

    // A folder named on purpose is the whole configuration.
    files.folders.windows = layered.user;
    EXPECT_EQ(host::read_profile_string(files, "KORALU.INI", "TRADUTOR", "DIRLETRAS", "dflt", 255),
              "dflt");
    // Without a user file, the first folder that holds one is the Windows folder.
    files.folders = layered;
    files.folders.user = dir + "/nobody";
    EXPECT_EQ(files.windows_folder(), layered.system);
    EXPECT_EQ(host::native::config_candidates(files.folders, "KORALU.INI").size(), 3u);
    EXPECT_EQ(files.profile_layers("KORALU.INI").size(), 2u);
}

TEST(ProfileParse, QuotesAreRemovedOnlyInPairs) {
    EXPECT_EQ(host::find_profile_value("[a]\nk=\"x\n", "a", "k"), std::optional<std::string>("\"x"));
    EXPECT_FALSE(host::find_profile_value("[a\nk=1", "b", "k").has_value());
    EXPECT_FALSE(host::find_profile_value("k=1\n[a]\n", "a", "k").has_value());
}

}  // namespace
