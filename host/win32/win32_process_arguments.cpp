// The arguments of a Windows program as UTF-8, from its wide command line.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "host/native.h"

namespace host::native {

char** utf8_arguments(int& argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return argv;
    static std::vector<std::string> storage;
    static std::vector<char*> pointers;
    storage.clear();
    for (int i = 0; i < count; ++i) {
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(bytes > 0 ? static_cast<size_t>(bytes) : 1u, '\0');
        if (bytes > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
        text.resize(text.size() - 1);  // the terminating zero counted above
        storage.push_back(std::move(text));
    }
    ::LocalFree(wide);
    pointers.clear();
    for (std::string& s : storage) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    argc = count;
    return pointers.data();
}

}  // namespace host::native
