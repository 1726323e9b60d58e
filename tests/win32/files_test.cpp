// The Windows files, output files and our mbrola.dll as the programs use
// them on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/common/output_file.h"
#include "host/common/output_os.h"
#include "host/win32/win32_files.h"
#include "host/win32/win32_libraries.h"
#include "vedra/mbrola_api.h"

namespace {

namespace fs = std::filesystem;

std::string fresh_folder(const char* tag) {
    const fs::path dir = fs::temp_directory_path() /
                         (std::string("zimbalot-") + tag + "-" + std::to_string(GetTickCount64()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(WindowsPaths, AbsoluteNamesAndDeviceNames) {
    using host::common::output_os::is_absolute;
    using host::common::output_os::is_stream_name;
    const struct {
        const char* path;
        bool absolute, device;
    } cases[] = {
        {"C:\\zimbalot\\x.wav", true, false}, {"c:/x.wav", true, false},
        {"\\\\server\\share\\x", true, false}, {"\\x.wav", true, false},
        {"C:x.wav", false, false},             {"x.wav", false, false},
        {"NUL", false, true},                  {"nul.txt", false, true},
        {"C:\\pasta\\CON", true, true},        {"console.txt", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(is_absolute(c.path), c.absolute) << c.path;
        EXPECT_EQ(is_stream_name(c.path), c.device) << c.path;
    }
    EXPECT_EQ(host::common::absolute_path("x.wav", "C:\\aqui"), "C:\\aqui/x.wav");
    EXPECT_EQ(host::common::absolute_path("D:\\y.wav", "C:\\aqui"), "D:\\y.wav");
}

TEST(WindowsOutputFile, ReplacesAnExistingFileAndWritesDevicesInPlace) {
    const std::string dir = fresh_folder("output");
    const std::string target = dir + "\\registro.txt";
    write(target, "velho");
    host::common::OutputFile file;
    ASSERT_TRUE(file.open(target)) << file.error();
    ASSERT_TRUE(file.write("novo"));
    // Renaming over a file that exists fails on Windows unless asked to replace.
    ASSERT_TRUE(file.commit()) << file.error();
    std::ifstream in(target, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "novo");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    host::common::OutputFile device;
    ASSERT_TRUE(device.open("NUL")) << device.error();
    EXPECT_TRUE(device.temporary_path().empty());
    EXPECT_TRUE(device.write("nada"));
    EXPECT_TRUE(device.commit());
}

TEST(WindowsFiles, ConfigurationFromTheWindowsFolderThenTheFamily) {
    const std::string root = fresh_folder("config");
    const std::string windows = root + "\\Windows", family = root + "\\koralu";
    fs::create_directories(windows);
    write(family + "\\KORALU.INI", "[ZIMBALOT]\nVOLUME=80\nMUDO=N\n");
    host::ConfigFolders folders;
    folders.system = windows;
    folders.family = family;
    host::win32::Win32Files files(folders);
    // Without a KORALU.INI of its own the Windows folder gives way to the family.
    EXPECT_EQ(files.windows_folder(), family);
    EXPECT_EQ(files.profile_layers("KORALU.INI").size(), 1u);
    write(windows + "\\KORALU.INI", "[ZIMBALOT]\nVOLUME=60\n");
    EXPECT_EQ(files.windows_folder(), windows);
    ASSERT_EQ(files.profile_layers("koralu.ini").size(), 2u);
    EXPECT_EQ(host::read_profile_string(files, "KORALU.INI", "zimbalot", "volume", "", 255), "60");
    EXPECT_EQ(host::read_profile_string(files, "KORALU.INI", "ZIMBALOT", "MUDO", "", 255), "N");
    // A folder named on purpose is the whole configuration.
    files.folders.windows = root;
    EXPECT_EQ(files.windows_folder(), root);
    EXPECT_TRUE(files.profile_layers("KORALU.INI").empty());
}

TEST(WindowsFiles, FoldersWithTheirSeparatorAndTheCurrentFolder) {
    const std::string dir = fresh_folder("files");
    write(dir + "\\Som\\Letras\\_65.WAV", "RIFF");
    host::win32::Win32Files files(host::ConfigFolders::only(dir));
    EXPECT_TRUE(files.directory_exists(dir + "\\som\\letras\\"));
    EXPECT_TRUE(files.directory_exists(dir + "/som/letras/"));
    EXPECT_FALSE(files.file_exists(dir + "\\som\\letras\\"));
    EXPECT_TRUE(files.file_exists(dir + "\\SOM\\letras\\_65.wav"));
    EXPECT_EQ(files.open_read(dir + "\\som"), nullptr);  // a folder is not a file
    auto file = files.open_read(dir + "\\som\\letras\\_65.wav");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 4u);
    const std::string before = files.current_directory();
    ASSERT_TRUE(files.set_current_directory(dir + "\\som\\"));
    EXPECT_EQ(files.current_directory(), fs::path(dir + "\\som").lexically_normal().string());
    EXPECT_FALSE(files.set_current_directory(dir + "\\nada"));
    ASSERT_TRUE(files.set_current_directory(before));
}

TEST(OurMbrolaDll, ExportsEveryNameUndecoratedAndRefusesOtherDatabases) {
    host::win32::Win32Libraries libraries;
    // Not in the system's search: found in the build tree, as the programs
    // find it in "lib" beside them.
    void* library = libraries.load("mbrola.dll");
    ASSERT_NE(library, nullptr);
    for (std::string_view name : vedra::mbrola_entry_names)
        EXPECT_NE(libraries.symbol(library, name), nullptr) << name;
    vedra::MbrolaApi api;
    api.init_MBR = reinterpret_cast<decltype(api.init_MBR)>(libraries.symbol(library, "init_MBR"));
    api.lastErrorStr_MBR = reinterpret_cast<decltype(api.lastErrorStr_MBR)>(
        libraries.symbol(library, "lastErrorStr_MBR"));
    ASSERT_TRUE(api.init_MBR && api.lastErrorStr_MBR);
    const std::string dir = fresh_folder("mbrola");
    write(dir + "\\br1", "not a database of ours");
    std::string path = dir + "\\br1";
    // Called through the table's convention: a wrong one would unbalance
    // the stack of a 32-bit program.
    EXPECT_LT(api.init_MBR(path.data()), 0);
    char message[256] = {};
    api.lastErrorStr_MBR(message, sizeof message);
    EXPECT_NE(std::string(message).find("no mbrola program"), std::string::npos) << message;
    libraries.free(library);
}

}  // namespace
