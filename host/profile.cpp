#include <algorithm>
#include <cctype>

#include "host/files.h"

namespace host {
namespace {

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// One pair of surrounding quotes removed, then the buffer's limit.
std::string unquote_and_cut(std::string_view value, size_t buffer_size) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    const size_t limit = buffer_size == 0 ? 0 : buffer_size - 1;
    return std::string(value.substr(0, std::min(value.size(), limit)));
}

std::string finish(std::string_view value, size_t buffer_size) {
    return unquote_and_cut(trim(value), buffer_size);
}

bool is_bare_name(std::string_view file) {
    return file.find('/') == std::string_view::npos && file.find('\\') == std::string_view::npos &&
           file.find(':') == std::string_view::npos;
}

}  // namespace

std::optional<std::string> find_profile_value(std::string_view content, std::string_view section,
                                              std::string_view key) {
    bool in_section = false;
    bool section_seen = false;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string_view::npos) end = content.size();
        const std::string_view line = trim(content.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[') {
            // The first section of the name is the one that counts.
            if (section_seen) return std::nullopt;
            const size_t close = line.find(']');
            const std::string_view name =
                trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            in_section = same_name(name, section);
            section_seen = in_section;
            continue;
        }
        if (!in_section) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (same_name(trim(line.substr(0, equals)), key))
            return std::string(line.substr(equals + 1));
    }
    return std::nullopt;
}

std::vector<std::string> Files::profile_layers(std::string_view bare_name) {
    std::string path = windows_folder();
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path.push_back('/');
    path.append(bare_name);
    return {path};
}

std::string read_profile_string(Files& files, std::string_view file, std::string_view section,
                                std::string_view key, std::string_view fallback,
                                size_t buffer_size) {
    const std::vector<std::string> layers = is_bare_name(file)
                                                ? files.profile_layers(file)
                                                : std::vector<std::string>{std::string(file)};
    std::vector<uint8_t> bytes;
    for (const std::string& path : layers) {
        if (!files.read_whole(path, bytes)) continue;
        const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (const auto value = find_profile_value(content, section, key))
            return finish(*value, buffer_size);
    }
    // The system's reader drops only the fallback's trailing spaces; leading
    // blanks and tabs are kept as the caller wrote them.
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    return unquote_and_cut(fallback, buffer_size);
}

}  // namespace host
