// Locating KORALU.INI, reading a value with the "@" shorthand expanded, and
// the two ways of reading a number from a value.
#include <cstdint>
#include <limits>

#include "host/files.h"
#include "speech/speech.h"

namespace speech {
namespace {

constexpr std::string_view config_name = "KORALU.INI";
// GetPrivateProfileStringA is given a 255-byte buffer: at most 254 characters.
constexpr size_t value_buffer_size = 255;

bool ends_in_separator(std::string_view path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Reading {
    int64_t value = 0;
    bool digits = false;    // at least one digit was read
    bool complete = false;  // nothing followed the number
    bool overflow = false;  // the magnitude does not fit 32 bits
};

// The common reading behind the lenient and strict forms.
Reading read_number(std::string_view text) {
    Reading r;
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = base == 16                           ? hex_digit(text[i])
                      : (text[i] >= '0' && text[i] <= '9') ? text[i] - '0'
                                                           : -1;
        if (d < 0) break;
        r.digits = true;
        magnitude = magnitude * base + d;
        // Values beyond 32 bits are held at the limit: a lenient reading gives
        // the nearest value, a strict one fails.
        if (magnitude > limit) {
            magnitude = limit;
            r.overflow = true;
        }
    }
    r.complete = i == text.size();
    r.value = negative ? -magnitude : magnitude;
    return r;
}

}  // namespace

Config::Config(host::Files& files, std::string startup_directory)
    : files_(files), startup_directory_(std::move(startup_directory)) {
    if (ends_in_separator(startup_directory_)) startup_directory_.pop_back();
}

std::string Config::config_file() {
    std::string folder = files_.windows_folder();
    if (!ends_in_separator(folder)) folder.push_back('\\');
    // The private-profile reader looks for a bare name in the Windows folder.
    if (files_.file_exists(folder + std::string(config_name))) return std::string(config_name);
    return startup_directory_ + "\\" + std::string(config_name);
}

std::string expand_family_folder(std::string_view value, std::string_view family_folder) {
    // Only the "@" characters of the value as read are expanded; the inserted
    // folder is never searched again, so a family folder that itself holds
    // "@\" cannot make the expansion run for ever.
    std::string out;
    std::string_view rest = value;
    while (!rest.empty()) {
        if (out.empty() && rest.front() == '@') {
            // An empty folder leaves the value starting afresh, so a further
            // leading "@" is expanded in its turn.
            rest.remove_prefix(1);
            out.assign(family_folder);
            continue;
        }
        const size_t at = rest.find("@\\");
        if (at == std::string_view::npos) break;
        out.append(rest.substr(0, at));
        out.append(family_folder);
        rest.remove_prefix(at + 1);  // keep the backslash after the folder
    }
    out.append(rest);
    return out;
}

std::string Config::read_config_value(std::string_view section, std::string_view key) {
    const std::string file = config_file();
    if (section.empty()) section = "KORALU";
    const std::string value =
        host::read_profile_string(files_, file, section, key, "", value_buffer_size);
    if (value.find('@') == std::string::npos) return value;
    // The family folder is the same for every expansion of one value, so it
    // is read once per call.
    std::string family =
        host::read_profile_string(files_, file, "KORALU", "PGMKORALU", "", value_buffer_size);
    if (family.empty() || family.front() == '@') family = startup_directory_;
    return expand_family_folder(value, family);
}

int32_t lenient_integer(std::string_view value) {
    return static_cast<int32_t>(read_number(value).value);
}

std::optional<int32_t> strict_integer(std::string_view value) {
    const Reading r = read_number(value);
    if (!r.digits || !r.complete || r.overflow) return std::nullopt;
    return static_cast<int32_t>(r.value);
}

bool yes_no(std::string_view value) {
    return !value.empty() && value.front() != 'N' && value.front() != 'n';
}

}  // namespace speech
