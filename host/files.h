// Files, folders and configuration. Paths given to these operations may be
// Windows paths ("c:\morbel\som\", "..\x") or native ones; every operation
// translates them with translate_path and matches each component without regard
// to case, so the system never builds native paths itself.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text.h"

namespace host {

class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to `length` bytes; returns the count read (0 at end or error).
    virtual size_t read(uint8_t* buffer, size_t length) = 0;
    // Moves to an absolute offset; false when it cannot.
    virtual bool seek(uint64_t offset) = 0;
    virtual uint64_t size() const = 0;
};

// Where the configuration files are, decided in main from the environment.
// `windows` (KORALU_WINDOWS, falar --config) names the one folder to read when
// set. Otherwise a bare "KORALU.INI" is read in layers: a key missing from the
// user's file is taken from the system file, then from the family folder's.
struct ConfigFolders {
    std::string windows;
    std::string user;    // $XDG_CONFIG_HOME/koralu or ~/.config/koralu
    std::string system;  // <sysconfdir>/koralu
    std::string family;  // the installed (or built) family folder
    // Where Windows paths' drive letters lead (KORALU_DRIVE_<L>, read in main).
    DriveMap drives;

    // Only `folder`, named on purpose.
    static ConfigFolders only(std::string folder) {
        ConfigFolders f;
        f.windows = std::move(folder);
        return f;
    }

    // The folders whose KORALU.INI is read, first first: a folder named on
    // purpose is the whole configuration; otherwise user, system, family.
    // Empty names are left in; the caller skips them.
    std::vector<std::string> in_order() const {
        if (!windows.empty()) return {windows};
        return {user, system, family};
    }
};

class Files {
public:
    virtual ~Files() = default;

    // Opens a file for reading (shared). nullptr when it cannot be opened.
    virtual std::unique_ptr<InputFile> open_read(std::string_view path) = 0;
    // Reads a whole file through open_read; false when it cannot be opened
    // or is over 2 GiB.
    virtual bool read_whole(std::string_view path, std::vector<uint8_t>& out);
    // Writes a whole file (creating or replacing it); false on failure.
    virtual bool write_whole(std::string_view path, const std::vector<uint8_t>& data) = 0;
    virtual bool file_exists(std::string_view path) = 0;
    virtual bool directory_exists(std::string_view path) = 0;

    // The process's current directory as the system sees it (native, no
    // trailing separator), and changing it (false when it cannot be entered).
    virtual std::string current_directory() = 0;
    virtual bool set_current_directory(std::string_view path) = 0;

    // The "Windows folder" where a bare "KORALU.INI" is looked up: see the
    // README (KORALU_WINDOWS, then ~/.config/koralu, then the default data set).
    virtual std::string windows_folder() = 0;

    // The files a bare configuration name is read from, most specific first;
    // only files that exist. By default just the one in the Windows folder.
    virtual std::vector<std::string> profile_layers(std::string_view bare_name);

    // The native path for `path` after translation and case-insensitive lookup
    // of every existing component; components that do not exist are kept as
    // translated. Never fails.
    virtual std::string native_path(std::string_view path) = 0;
};

// GetPrivateProfileStringA: `file` is a bare name (looked up in the layers of
// Files::profile_layers, the first file holding the key wins) or a path. Section and key compare
// without regard to case, the first match wins, blanks around the value and one pair of surrounding
// quotes are removed, the result is cut to buffer_size - 1 bytes, and `fallback` (also cut) is
// returned when the file, the section or the key is missing.
std::string read_profile_string(Files& files, std::string_view file, std::string_view section,
                                std::string_view key, std::string_view fallback,
                                size_t buffer_size);

// The value of `key` in `section` of private-profile text, before blanks,
// quotes and the buffer limit are applied; nullopt when the section or key is
// missing. Exposed for tests and fuzzing.
std::optional<std::string> find_profile_value(std::string_view content, std::string_view section,
                                              std::string_view key);

// Registry string value under HKEY_LOCAL_MACHINE (on Linux, a stand-in).
class Registry {
public:
    virtual ~Registry() = default;
    virtual std::optional<std::string> read_string(std::string_view key_path,
                                                   std::string_view value_name) = 0;
};

// Dynamic libraries.
class Libraries {
public:
    virtual ~Libraries() = default;
    // Returns an opaque handle or nullptr.
    virtual void* load(std::string_view name) = 0;
    virtual void* symbol(void* library, std::string_view name) = 0;
    virtual void free(void* library) = 0;
};

}  // namespace host
