// Files, registry stand-in and library loading on a POSIX system.
#pragma once
#include "host/files.h"

namespace host::common {

class PosixFiles : public Files {
public:
    std::unique_ptr<InputFile> open_read(std::string_view path) override;
    bool read_whole(std::string_view path, std::vector<uint8_t>& out) override;
    bool write_whole(std::string_view path, const std::vector<uint8_t>& data) override;
    bool file_exists(std::string_view path) override;
    bool directory_exists(std::string_view path) override;
    std::string current_directory() override;
    bool set_current_directory(std::string_view path) override;
    std::string windows_folder() override;
    std::string native_path(std::string_view path) override;
};

// HKEY_LOCAL_MACHINE stand-in: "SOFTWARE\TCTS\Mbrola\databases\<VOICE>" names
// the voice database in Debian's MBROLA location, /usr/share/mbrola/<voice>/<voice>.
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

// Duration in milliseconds of a RIFF/WAVE file's first data chunk; 0 when the
// file is missing or malformed.
uint32_t wav_file_duration_ms(Files& files, std::string_view path);

}  // namespace host::common
