// Windows-1252 <-> UTF-8, and the Windows path translation. Portable code.
#pragma once
#include <cstdint>
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

// Turns "\" into "/" and a leading drive ("c:" or "C:") into the folder named
// by the environment variable KORALU_DRIVE_<LETTER> (upper case) when set, else
// "/" (so "c:\zimbalot" is "/zimbalot"). Native paths pass unchanged.
std::string translate_path(std::string_view path);

// Literal Portuguese text written in the UTF-8 sources, as Windows-1252 bytes.
inline std::string w1252(std::string_view utf8) { return utf8_to_cp1252(utf8); }

}  // namespace host
