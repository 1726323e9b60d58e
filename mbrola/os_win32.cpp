// On Windows the library synthesises its own databases in process only: a
// user with MBROLA's own voices has MBROLA's own mbrola.dll, which reads them,
// so no mbrola program is looked for and no child process is started (the
// caller then says that no mbrola program can read the database).
#include <windows.h>

#include <cstdio>

#include "mbrola/os.h"

namespace mbrola::os {

std::string find_on_path(std::string_view) {
    return "";
}

bool spawn(const std::vector<std::string>&, Child&, std::string& error) {
    error = "no mbrola program is run on Windows";
    return false;
}

bool write_all(Child&, std::string_view, std::vector<uint8_t>&, std::string&) {
    return false;
}

ReadResult read_some(Child&, std::vector<uint8_t>&, std::string&, int) {
    return ReadResult::kEnd;
}

void close_input(Child&) {}

Exit finish(Child& child, bool) {
    child = Child{};
    return Exit{};
}

bool read_file(const std::string& path, std::vector<uint8_t>& out, uint64_t limit) {
    out.clear();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size > limit) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    out.resize(static_cast<size_t>(size));
    out.resize(std::fread(out.data(), 1, out.size(), file));
    std::fclose(file);
    return true;
}

bool is_regular_file(const std::string& path) {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace mbrola::os
