// The program reads KORALU.INI with its own reader, the same on every system;
// here it must answer exactly what the system's GetPrivateProfileStringA
// answers for the same file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "host/files.h"
#include "host/win32/win32_files.h"

namespace {

struct Case {
    const char* what;
    const char* content;
    const char* section;
    const char* key;
    const char* fallback;
    DWORD buffer;
};

const Case cases[] = {
    {"plain", "[VIDEO]\r\nFONTE=Arial\r\n", "VIDEO", "FONTE", "x", 80},
    {"names in any case", "[video]\nfonte=Arial\n", "Video", "FONTE", "x", 80},
    {"blanks around", "  [ VIDEO ]  \n  FONTE  =   Lucida Console   \n", "VIDEO", "FONTE", "x", 80},
    {"double quotes", "[A]\nK=\"  quoted  \"\n", "A", "K", "x", 80},
    {"single quotes", "[A]\nK='q'\n", "A", "K", "x", 80},
    {"one quote only", "[A]\nK=\"open\n", "A", "K", "x", 80},
    {"empty value", "[A]\nK=\n", "A", "K", "fallback", 80},
    {"missing key", "[A]\nK=1\n", "A", "L", "  fallback  ", 80},
    {"missing section", "[A]\nK=1\n", "B", "K", "d", 80},
    {"quoted fallback", "[A]\n", "A", "K", "\"q\"", 80},
    {"fallback with a tab", "[A]\n", "A", "K", "\tt\t", 80},
    {"cut to the buffer", "[A]\nK=0123456789\n", "A", "K", "x", 5},
    {"fallback cut too", "[A]\n", "A", "K", "0123456789", 4},
    {"buffer of two", "[A]\nAMPLIF=8x\n", "A", "AMPLIF", "2", 2},
    {"first key wins", "[A]\nK=first\nK=second\n", "A", "K", "x", 80},
    {"line without equals", "[A]\nnothing here\nK=v\n", "A", "K", "x", 80},
    {"key in another section", "[A]\nX=1\n[B]\nK=b\n", "A", "K", "none", 80},
    {"equals in the value", "[A]\nK=a=b\n", "A", "K", "x", 80},
    {"Windows-1252 text", "[A]\nK=ma\xE7\xE3\n", "A", "K", "x", 80},
};

TEST(Profile, OurReaderAnswersAsTheSystemDoes) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    host::win32::Win32Files files;
    int n = 0;
    for (const Case& c : cases) {
        // A file per case: the system keeps a read profile cached by name.
        const std::string path = std::string(temp) + "zimbalot-profile-" +
                                 std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n++) +
                                 ".ini";
        std::ofstream(path, std::ios::binary) << c.content;
        char buffer[128] = {};
        const DWORD got =
            GetPrivateProfileStringA(c.section, c.key, c.fallback, buffer, c.buffer, path.c_str());
        const std::string system(buffer, got);
        EXPECT_EQ(host::read_profile_string(files, path, c.section, c.key, c.fallback, c.buffer),
                  system)
            << c.what;
        DeleteFileA(path.c_str());
    }
}

}  // namespace
