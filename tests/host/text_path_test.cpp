#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/native.h"
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
    EXPECT_EQ(host::utf8_to_cp1252("\xBF"
                                   "b"),
              "b");  // stray continuation
    EXPECT_EQ(host::utf8_to_cp1252("\xF0\x9F\x98\x80!"), "!");
}

TEST(Paths, WindowsPathsAreTranslatedWithDriveMapping) {
    const host::DriveMap drives{{'D', "/mnt/d"}, {'E', ""}};
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"c:\\zimbalot", "/zimbalot"},
        {"C:\\morbel\\som\\letras\\", "/morbel/som/letras/"},
        {"\\morbel\\vedratts\\portug.nrl", "/morbel/vedratts/portug.nrl"},
        {"/usr/share/x", "/usr/share/x"},
        {"som\\a.wav", "som/a.wav"},
        {"d:\\jogos\\Z.PCX", "/mnt/d/jogos/Z.PCX"},
        {"D:jogos", "/mnt/d/jogos"},
        {"e:\\x", "/x"},  // an empty mapping is no mapping
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::translate_path(c.path, drives), c.expected) << c.path;
}

TEST(Paths, TheDriveMapTakesEveryLetterThatIsSetAndNotEmpty) {
    const host::DriveMap drives = host::drive_map([](const char* name) -> const char* {
        const std::string n(name);
        if (n == "KORALU_DRIVE_C") return "/c";
        if (n == "KORALU_DRIVE_Z") return "/z";
        if (n == "KORALU_DRIVE_D") return "";
        return nullptr;
    });
    EXPECT_EQ(drives, (host::DriveMap{{'C', "/c"}, {'Z', "/z"}}));
}

TEST(Paths, MixedCaseOnDiskIsFoundComponentByComponent) {
    SKIP_ON_WINDOWS("Windows matches names without regard to case itself and has real drives");
    const std::string dir = testsupport::make_temp_dir("paths");
    testsupport::write_file(dir + "/Som/Letras/_65.WAV", "x");
    host::native::Files files;
    EXPECT_TRUE(files.file_exists(dir + "/SOM/letras/_65.wav"));
    EXPECT_TRUE(files.directory_exists(dir + "\\som\\LETRAS\\"));
    EXPECT_FALSE(files.file_exists(dir + "/som/letras/_66.wav"));
    EXPECT_EQ(files.native_path(dir + "/som/letras/_65.wav"), dir + "/Som/Letras/_65.WAV");
    // A missing tail keeps its spelling after the part that was found.
    EXPECT_EQ(files.native_path(dir + "/som/novo/x.wav"), dir + "/Som/novo/x.wav");
    EXPECT_FALSE(files.file_exists("q:\\som\\letras\\_65.wav"));
    files.folders.drives['Q'] = dir;
    EXPECT_TRUE(files.file_exists("q:\\som\\letras\\_65.wav"));
    const std::string cwd = files.current_directory();
    ASSERT_TRUE(files.set_current_directory(dir + "/SOM"));
    EXPECT_TRUE(files.file_exists("LETRAS/_65.wav"));
    EXPECT_FALSE(files.set_current_directory(dir + "/nada"));
    ASSERT_TRUE(files.set_current_directory(cwd));
}

TEST(Paths, ConfigurationFoldersFromTheEnvironmentValues) {
    SKIP_ON_WINDOWS("the user's folder of the XDG variables is Linux's layer");
    const struct {
        const char *windows, *xdg, *home, *expected_windows, *expected_user;
    } cases[] = {
        {"/w", "/x", "/h", "/w", "/x/koralu"},
        {nullptr, "", "/h", "", "/h/.config/koralu"},  // empty counts as unset
        {"", nullptr, nullptr, "", ""},
    };
    for (const auto& c : cases) {
        const host::ConfigFolders f = host::native::config_folders(c.windows, c.xdg, c.home);
        EXPECT_EQ(f.windows, c.expected_windows);
        EXPECT_EQ(f.user, c.expected_user);
        EXPECT_TRUE(f.system.ends_with("/koralu")) << f.system;
        EXPECT_FALSE(f.family.empty());
    }
    const std::string dir = testsupport::make_temp_dir("win");
    host::native::Files files(host::ConfigFolders::only(dir));
    EXPECT_EQ(files.windows_folder(), dir);
    const std::string config = testsupport::make_temp_dir("xdg");
    testsupport::write_file(config + "/koralu/KORALU.INI", "[KORALU]\n");
    files.folders = host::native::config_folders(nullptr, config.c_str(), nullptr);
    EXPECT_EQ(files.windows_folder(), config + "/koralu");
}

}  // namespace
