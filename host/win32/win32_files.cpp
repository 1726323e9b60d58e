#include "host/win32/win32_files.h"

#include <windows.h>

#include <cstdio>

#ifndef ZIMBALOT_BUILD_DATA_DIR
#define ZIMBALOT_BUILD_DATA_DIR ""
#endif

namespace host::win32 {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// Windows takes the configuration's paths as they are; only a trailing
// separator is dropped before asking about a folder ("c:\morbel\som\").
std::string native(std::string_view path) {
    return std::string(path);
}

DWORD attributes(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && is_separator(p.back()) && p[p.size() - 2] != ':') p.pop_back();
    return ::GetFileAttributesA(p.c_str());
}

bool is_regular_file(const std::string& path) {
    const DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_folder(const std::string& path) {
    const DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string joined(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return is_separator(folder.back()) ? folder + std::string(name)
                                       : folder + "\\" + std::string(name);
}

bool folder_has_ini(const std::string& folder) {
    return !folder.empty() && is_regular_file(joined(folder, "KORALU.INI"));
}

class Win32InputFile : public InputFile {
public:
    Win32InputFile(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
    ~Win32InputFile() override { std::fclose(file_); }
    size_t read(uint8_t* buffer, size_t length) override {
        return length == 0 ? 0 : std::fread(buffer, 1, length, file_);
    }
    bool seek(uint64_t offset) override {
        return _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET) == 0;
    }
    uint64_t size() const override { return size_; }

private:
    std::FILE* file_;
    uint64_t size_;
};

std::string windows_directory() {
    char buffer[MAX_PATH + 1];
    const UINT n = ::GetWindowsDirectoryA(buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

std::string program_folder() {
    char buffer[MAX_PATH + 1];
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return "";
    const std::string path(buffer, n);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

ConfigFolders default_config_folders() {
    ConfigFolders f;
    f.system = windows_directory();
    const std::string beside = joined(program_folder(), "koralu");
    f.family = folder_has_ini(beside) ? beside : std::string(ZIMBALOT_BUILD_DATA_DIR);
    return f;
}

ConfigFolders config_folders(const char* koralu_windows, const char* /*xdg_config_home*/,
                             const char* /*home*/) {
    ConfigFolders f = default_config_folders();
    if (koralu_windows && *koralu_windows) f.windows = koralu_windows;
    return f;
}

std::vector<std::string> config_candidates(const ConfigFolders& folders,
                                           std::string_view bare_name) {
    std::vector<std::string> files;
    const auto add = [&](const std::string& folder) {
        if (folder.empty()) return;
        const std::string path = joined(folder, bare_name);
        for (const std::string& seen : files)
            if (::lstrcmpiA(seen.c_str(), path.c_str()) == 0) return;
        files.push_back(path);
    };
    for (const std::string& folder : folders.in_order()) add(folder);
    return files;
}

std::unique_ptr<InputFile> Win32Files::open_read(std::string_view path) {
    const std::string name = native(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return nullptr;
    const uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return std::make_unique<Win32InputFile>(file, size);
}

bool Win32Files::write_whole(std::string_view path, const std::vector<uint8_t>& data) {
    std::FILE* file = std::fopen(native(path).c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

bool Win32Files::file_exists(std::string_view path) {
    return is_regular_file(native(path));
}

bool Win32Files::directory_exists(std::string_view path) {
    return is_folder(native(path));
}

std::string Win32Files::current_directory() {
    char buffer[MAX_PATH + 1];
    const DWORD n = ::GetCurrentDirectoryA(sizeof buffer, buffer);
    if (n == 0 || n >= sizeof buffer) return ".";
    std::string dir(buffer, n);
    // "C:\" keeps its separator; any other folder is given without one.
    if (dir.size() > 3 && is_separator(dir.back())) dir.pop_back();
    return dir;
}

bool Win32Files::set_current_directory(std::string_view path) {
    const std::string name = native(path);
    return !name.empty() && ::SetCurrentDirectoryA(name.c_str()) != 0;
}

std::string Win32Files::windows_folder() {
    if (!folders.windows.empty()) return folders.windows;
    for (const std::string* folder : {&folders.user, &folders.system, &folders.family})
        if (folder_has_ini(*folder)) return *folder;
    return folders.system.empty() ? folders.family : folders.system;
}

std::vector<std::string> Win32Files::profile_layers(std::string_view bare_name) {
    std::vector<std::string> layers = config_candidates(folders, bare_name);
    std::erase_if(layers, [](const std::string& path) { return !is_regular_file(path); });
    return layers;
}

std::string Win32Files::native_path(std::string_view path) {
    return native(path);
}

}  // namespace host::win32
