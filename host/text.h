// Windows-1252 <-> UTF-8, and the Windows path translation. Portable code.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace host {

// Every byte becomes its Unicode character; the five unassigned bytes (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string cp1252_to_utf8(std::string_view text);

// Characters without a Windows-1252 byte are dropped; malformed UTF-8 bytes too.
std::string utf8_to_cp1252(std::string_view text);

// Windows-1252 byte for one Unicode code point, or -1.
int cp1252_from_codepoint(uint32_t codepoint);

// Where each Windows drive letter leads on this machine, keyed by the upper-case
// letter; a drive without an entry (or with an empty one) is the root "/".
using DriveMap = std::map<char, std::string>;

// The drive map from KORALU_DRIVE_A .. KORALU_DRIVE_Z, each looked up with
// `read` (main passes the environment; null or empty means unset).
DriveMap drive_map(const std::function<const char*(const char*)>& read);

// Turns "\" into "/" and a leading drive ("c:" or "C:") into its folder in
// `drives` (so "c:\zimbalot" is "/zimbalot" when c: is not mapped). Native
// paths pass unchanged.
std::string translate_path(std::string_view path, const DriveMap& drives);

// Literal Portuguese text written in the UTF-8 sources, as Windows-1252 bytes.
inline std::string w1252(std::string_view utf8) {
    return utf8_to_cp1252(utf8);
}

}  // namespace host
