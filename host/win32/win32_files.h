// Files, folders and configuration on Windows. The file system already
// matches names without regard to case and takes "\" and "/" alike, so paths
// from the configuration are used as they are written.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/files.h"

namespace host::win32 {

// The configuration folders: `koralu_windows` (KORALU_WINDOWS) when set is
// the whole configuration. Otherwise a bare "KORALU.INI" is read from the
// Windows folder (GetWindowsDirectoryA, where the family's programs put it),
// then from the family folder "koralu" beside the program (the zip's layout)
// or, for a program run from the build tree, the generated one. The user
// layer of the Linux build has no Windows counterpart: `xdg_config_home` and
// `home` are accepted for the same call in main and not used.
ConfigFolders config_folders(const char* koralu_windows, const char* xdg_config_home,
                             const char* home);
ConfigFolders default_config_folders();

// The files a bare configuration name may be read from, most specific first,
// whether they exist or not.
std::vector<std::string> config_candidates(const ConfigFolders& folders,
                                           std::string_view bare_name);

// The folder of the running program (no trailing separator).
std::string program_folder();

class Win32Files : public Files {
public:
    explicit Win32Files(ConfigFolders folders = default_config_folders())
        : folders(std::move(folders)) {}
    std::unique_ptr<InputFile> open_read(std::string_view path) override;
    bool write_whole(std::string_view path, const std::vector<uint8_t>& data) override;
    bool file_exists(std::string_view path) override;
    bool directory_exists(std::string_view path) override;
    std::string current_directory() override;
    bool set_current_directory(std::string_view path) override;
    std::string windows_folder() override;
    std::vector<std::string> profile_layers(std::string_view bare_name) override;
    std::string native_path(std::string_view path) override;

    ConfigFolders folders;
};

}  // namespace host::win32
