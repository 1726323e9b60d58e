#include "host/win32/win32_registry.h"

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "host/win32/win32_files.h"

namespace host::win32 {
namespace {

constexpr DWORD max_value_bytes = 64 * 1024;

std::optional<std::string> read_from(HKEY root, REGSAM view, const std::string& key,
                                     const std::string& value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size <= max_value_bytes) {
        // One byte more than asked for: a stored string need not end in a zero.
        std::vector<char> data(size + 1, '\0');
        DWORD got = size;
        if (RegQueryValueExA(handle, value.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &got) == ERROR_SUCCESS &&
            got <= size) {
            std::string text(data.data(), strnlen(data.data(), got));
            if (type == REG_EXPAND_SZ) {
                const DWORD need = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
                if (need > 0 && need <= max_value_bytes) {
                    std::vector<char> expanded(need + 1, '\0');
                    if (ExpandEnvironmentStringsA(text.c_str(), expanded.data(), need) > 0)
                        text = expanded.data();
                }
            }
            result = std::move(text);
        }
    }
    RegCloseKey(handle);
    return result;
}

std::string trimmed_key(std::string_view key_path) {
    std::string key(key_path);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

}  // namespace

std::string data_set_voice(const std::string& family, std::string_view voice) {
    std::string name(voice);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (family.empty() || name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\:") != std::string::npos)
        return "";
    const std::string path = family + "\\mbrola\\" + name + "\\" + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
    return path;
}

std::optional<std::string> Win32Registry::read_string(std::string_view key_path,
                                                      std::string_view value_name) {
    const std::string key = trimmed_key(key_path);
    const std::string value(value_name);
    if (auto found = read_from(HKEY_LOCAL_MACHINE, 0, key, value)) return found;
    if (auto found = read_from(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, key, value)) return found;
    constexpr std::string_view voices = "software\\tcts\\mbrola\\databases\\";
    std::string lowered = key;
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowered.size() <= voices.size() || lowered.compare(0, voices.size(), voices) != 0)
        return std::nullopt;
    const std::string path =
        data_set_voice(default_config_folders().family, key.substr(voices.size()));
    if (path.empty()) return std::nullopt;
    return path;
}

}  // namespace host::win32
