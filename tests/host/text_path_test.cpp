#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/common/posix_files.h"
#include "host/text.h"
#include "support.h"

namespace {

TEST(Cp1252, EveryUpperHalfByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(host::utf8_to_cp1252(host::cp1252_to_utf8(one)), one) << b;
    }
    EXPECT_EQ(host::cp1252_to_utf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(host::cp1252_to_utf8("\xE7"), "\xC3\xA7");      // c cedilla
    EXPECT_EQ(host::w1252("ação"), "a\xE7\xE3o");
}

TEST(Cp1252, CharactersWithoutAByteAndBrokenUtf8AreDropped) {
    EXPECT_EQ(host::utf8_to_cp1252("a\xE2\x98\x83z"), "az");  // snowman
    EXPECT_EQ(host::utf8_to_cp1252("a\xC3"), "a");            // cut sequence
    EXPECT_EQ(host::utf8_to_cp1252("\xBF" "b"), "b");         // stray continuation
    EXPECT_EQ(host::utf8_to_cp1252("\xF0\x9F\x98\x80!"), "!");
}

TEST(Paths, WindowsPathsAreTranslatedWithDriveMapping) {
    ::unsetenv("KORALU_DRIVE_C");
    EXPECT_EQ(host::translate_path("c:\\zimbalot"), "/zimbalot");
    EXPECT_EQ(host::translate_path("C:\\morbel\\som\\letras\\"), "/morbel/som/letras/");
    EXPECT_EQ(host::translate_path("\\morbel\\vedratts\\portug.nrl"), "/morbel/vedratts/portug.nrl");
    EXPECT_EQ(host::translate_path("/usr/share/x"), "/usr/share/x");
    EXPECT_EQ(host::translate_path("som\\a.wav"), "som/a.wav");
    ::setenv("KORALU_DRIVE_D", "/mnt/d", 1);
    EXPECT_EQ(host::translate_path("d:\\jogos\\Z.PCX"), "/mnt/d/jogos/Z.PCX");
    EXPECT_EQ(host::translate_path("d:jogos"), "/mnt/d/jogos");
    ::unsetenv("KORALU_DRIVE_D");
}

TEST(Paths, MixedCaseOnDiskIsFoundComponentByComponent) {
    const std::string dir = testsupport::make_temp_dir("paths");
    testsupport::write_file(dir + "/Som/Letras/_65.WAV", "x");
    host::common::PosixFiles files;
    EXPECT_TRUE(files.file_exists(dir + "/SOM/letras/_65.wav"));
    EXPECT_TRUE(files.directory_exists(dir + "\\som\\LETRAS\\"));
    EXPECT_FALSE(files.file_exists(dir + "/som/letras/_66.wav"));
    EXPECT_EQ(files.native_path(dir + "/som/letras/_65.wav"), dir + "/Som/Letras/_65.WAV");
    // A missing tail keeps its spelling after the part that was found.
    EXPECT_EQ(files.native_path(dir + "/som/novo/x.wav"), dir + "/Som/novo/x.wav");
    ::setenv("KORALU_DRIVE_Q", dir.c_str(), 1);
    EXPECT_TRUE(files.file_exists("q:\\som\\letras\\_65.wav"));
    ::unsetenv("KORALU_DRIVE_Q");
    const std::string cwd = files.current_directory();
    ASSERT_TRUE(files.set_current_directory(dir + "/SOM"));
    EXPECT_TRUE(files.file_exists("LETRAS/_65.wav"));
    EXPECT_FALSE(files.set_current_directory(dir + "/nada"));
    ASSERT_TRUE(files.set_current_directory(cwd));
}

TEST(Paths, ConfigurationFoldersFromTheEnvironmentValues) {
    const struct {
        const char *windows, *xdg, *home, *expected_windows, *expected_user;
    } cases[] = {
        {"/w", "/x", "/h", "/w", "/x/koralu"},
        {nullptr, "", "/h", "", "/h/.config/koralu"},  // empty counts as unset
        {"", nullptr, nullptr, "", ""},
    };
    for (const auto& c : cases) {
        const host::ConfigFolders f = host::common::config_folders(c.windows, c.xdg, c.home);
        EXPECT_EQ(f.windows, c.expected_windows);
        EXPECT_EQ(f.user, c.expected_user);
        EXPECT_TRUE(f.system.ends_with("/koralu")) << f.system;
        EXPECT_FALSE(f.family.empty());
    }
    const std::string dir = testsupport::make_temp_dir("win");
    host::common::PosixFiles files(host::ConfigFolders::only(dir));
    EXPECT_EQ(files.windows_folder(), dir);
    const std::string config = testsupport::make_temp_dir("xdg");
    testsupport::write_file(config + "/koralu/KORALU.INI", "[KORALU]\n");
    files.folders = host::common::config_folders(nullptr, config.c_str(), nullptr);
    EXPECT_EQ(files.windows_folder(), config + "/koralu");
}

}  // namespace
