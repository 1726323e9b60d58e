// The registry under HKEY_LOCAL_MACHINE, read with RegOpenKeyExA and
// RegQueryValueExA, so that the voices an installed MBROLA registered are
// the ones found.
#pragma once
#include "host/files.h"

namespace host::win32 {

class Win32Registry : public Registry {
public:
    // A REG_SZ or REG_EXPAND_SZ value (expanded), in the machine's own view
    // and then in the 32-bit view, where a 32-bit installer writes on a
    // 64-bit system. nullopt for a missing key or value, another type, or a
    // value longer than 64 KiB. "SOFTWARE\TCTS\Mbrola\databases\<VOICE>"
    // missing from the registry names the voice the program's own data set
    // carries (<family>\mbrola\<voice>\<voice>) when that file exists, so
    // VEDRA speaks on a machine where MBROLA was never installed.
    std::optional<std::string> read_string(std::string_view key_path,
                                           std::string_view value_name) override;
};

// The data set's MBROLA voice database under `family`, "" when missing.
std::string data_set_voice(const std::string& family, std::string_view voice);

}  // namespace host::win32
