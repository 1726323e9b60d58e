#include "host/text.h"

#include <cctype>

namespace host {
namespace {

// Unicode code points of the bytes 0x80..0x9F; the unassigned five keep their
// own value (as the C1 controls), so every byte round-trips.
constexpr uint16_t high_c1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t codepoint_of(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) return high_c1[byte - 0x80];
    return byte;
}

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string cp1252_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) append_utf8(out, codepoint_of(static_cast<uint8_t>(c)));
    return out;
}

int cp1252_from_codepoint(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (high_c1[i] == cp) return 0x80 + i;
    return -1;
}

std::string utf8_to_cp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = static_cast<uint8_t>(text[i]);
        uint32_t cp = 0;
        size_t extra = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            extra = 3;
        } else {
            ++i;  // a stray continuation or invalid byte is dropped
            continue;
        }
        bool ok = i + extra < text.size();
        for (size_t k = 1; ok && k <= extra; ++k) {
            const uint8_t b = static_cast<uint8_t>(text[i + k]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok) {
            ++i;
            continue;
        }
        i += extra + 1;
        const int byte = cp1252_from_codepoint(cp);
        if (byte >= 0) out.push_back(static_cast<char>(byte));
    }
    return out;
}

DriveMap drive_map(const std::function<const char*(const char*)>& read) {
    DriveMap drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string variable = std::string("KORALU_DRIVE_") + letter;
        const char* folder = read(variable.c_str());
        if (folder && *folder) drives[letter] = folder;
    }
    return drives;
}

std::string translate_path(std::string_view path, const DriveMap& drives) {
    std::string out;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        const auto mapped = drives.find(letter);
        out = mapped != drives.end() && !mapped->second.empty() ? mapped->second : "/";
        start = 2;
        if (!out.empty() && out.back() != '/' && start < path.size() && path[start] != '\\' &&
            path[start] != '/')
            out.push_back('/');
    }
    for (size_t i = start; i < path.size(); ++i) {
        const char c = path[i] == '\\' ? '/' : path[i];
        if (c == '/' && !out.empty() && out.back() == '/') continue;  // c:\ after "/"
        out.push_back(c);
    }
    return out;
}

}  // namespace host
