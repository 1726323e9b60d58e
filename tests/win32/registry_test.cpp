// The registry reader against the system's own registry (Wine's under the
// cross-built tests): a scratch key under HKEY_LOCAL_MACHINE is written with
// the raw calls and read back through Win32Registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "host/win32/win32_registry.h"

namespace {

const std::string scratch = "SOFTWARE\\ZimbalotTests\\" + std::to_string(GetCurrentProcessId());

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS)
            GTEST_SKIP() << "no right to write under HKEY_LOCAL_MACHINE";
    }
    void TearDown() override {
        if (!key_) return;
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, scratch.c_str());
    }
    void set(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    HKEY key_ = nullptr;
};

TEST_F(Registry, StringsComeBackAndOtherValuesDoNot) {
    set("", REG_SZ, "c:\\mbrola\\br4\\br4", 18);  // the key's default value
    set("plain", REG_SZ, "abc", 4);
    // A stored string need not carry its zero: the value is still whole.
    set("unterminated", REG_SZ, "xyz", 3);
    set("expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
    const DWORD number = 7;
    set("number", REG_DWORD, &number, sizeof number);
    const std::string big(70000, 'a');
    set("big", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));

    host::win32::Win32Registry registry;
    EXPECT_EQ(registry.read_string(scratch, "").value_or("?"), "c:\\mbrola\\br4\\br4");
    EXPECT_EQ(registry.read_string(scratch + "\\", "plain").value_or("?"), "abc");
    EXPECT_EQ(registry.read_string(scratch, "unterminated").value_or("?"), "xyz");
    char root[MAX_PATH] = {};
    GetEnvironmentVariableA("SystemRoot", root, MAX_PATH);
    EXPECT_EQ(registry.read_string(scratch, "expand").value_or("?"), std::string(root) + "\\x");
    EXPECT_FALSE(registry.read_string(scratch, "number"));
    EXPECT_FALSE(registry.read_string(scratch, "big"));  // past the 64 KiB limit
    EXPECT_FALSE(registry.read_string(scratch, "missing"));
    EXPECT_FALSE(registry.read_string(scratch + "\\none", ""));
}

TEST(RegistryVoice, TheDataSetsVoiceAnswersOnlyForAFileThatExists) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string family =
        std::string(temp) + "zimbalot-voice-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(family.c_str(), nullptr);
    CreateDirectoryA((family + "\\mbrola").c_str(), nullptr);
    CreateDirectoryA((family + "\\mbrola\\br4").c_str(), nullptr);
    const std::string database = family + "\\mbrola\\br4\\br4";
    std::ofstream(database) << "x";

    using host::win32::data_set_voice;
    EXPECT_EQ(data_set_voice(family, "BR4"), database);  // names fold to lower case
    EXPECT_EQ(data_set_voice(family, "br1"), "");
    EXPECT_EQ(data_set_voice(family, "mbrola"), "");  // a folder is no database
    for (const char* bad : {"", ".", "..", "..\\br4", "br4/../br4", "c:br4"})
        EXPECT_EQ(data_set_voice(family, bad), "") << bad;
    EXPECT_EQ(data_set_voice("", "br4"), "");

    DeleteFileA(database.c_str());
    RemoveDirectoryA((family + "\\mbrola\\br4").c_str());
    RemoveDirectoryA((family + "\\mbrola").c_str());
    RemoveDirectoryA(family.c_str());
}

}  // namespace
