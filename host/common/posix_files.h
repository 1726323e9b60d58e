// Files, registry stand-in and library loading on a POSIX system.
#pragma once
#include "host/common/wav_duration.h"
#include "host/files.h"

namespace host::common {

// The configuration folders from the environment values that main read
// (each may be null): KORALU_WINDOWS, XDG_CONFIG_HOME and HOME. The system and
// family folders are those of this build or install.
ConfigFolders config_folders(const char* koralu_windows, const char* xdg_config_home,
                             const char* home);

// The folders of this build or install, without a user folder.
ConfigFolders default_config_folders();

// The files a bare configuration name may be read from, most specific first,
// whether they exist or not.
std::vector<std::string> config_candidates(const ConfigFolders& folders,
                                           std::string_view bare_name);

class PosixFiles : public Files {
public:
    explicit PosixFiles(ConfigFolders folders = default_config_folders())
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

// HKEY_LOCAL_MACHINE stand-in: "SOFTWARE\TCTS\Mbrola\databases\<VOICE>" names
// an installed MBROLA voice (/usr/share/mbrola/<voice>/<voice>), else the one
// the data set generates (see mbrola_voice_database).
class PosixRegistry : public Registry {
public:
    std::optional<std::string> read_string(std::string_view key_path,
                                           std::string_view value_name) override;
};

class PosixLibraries : public Libraries {
public:
    void* load(std::string_view name) override;
    void* symbol(void* library, std::string_view name) override;
    void free(void* library) override;
};

}  // namespace host::common
