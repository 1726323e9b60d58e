#include "mbrola/lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace mbrola {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::vector<std::string_view> split_fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool to_number(std::string_view text, double& value) {
    // from_chars for double takes no leading '+', which the input may carry.
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

ParsedLine failure(std::string_view line, const std::string& what) {
    ParsedLine parsed;
    parsed.kind = LineKind::kError;
    std::string shown(line.substr(0, 60));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    parsed.error = what + ": \"" + shown + "\"";
    return parsed;
}

}  // namespace

ParsedLine parse_line(std::string_view line) {
    const size_t comment = line.find(';');
    if (comment != std::string_view::npos) line = line.substr(0, comment);
    const auto fields = split_fields(line);
    ParsedLine parsed;
    if (fields.empty()) return parsed;
    if (fields[0] == "#") {
        if (fields.size() != 1) return failure(line, "flush line with extra fields");
        parsed.kind = LineKind::kFlush;
        return parsed;
    }
    if (fields[0].size() > kMaxSymbolLength) return failure(line, "phoneme name too long");
    if (fields.size() < 2) return failure(line, "phoneme without duration");
    if (fields.size() % 2 != 0) return failure(line, "position without pitch");
    if ((fields.size() - 2) / 2 > kMaxPitchPoints) return failure(line, "too many pitch targets");
    PhoneLine& phone = parsed.phone;
    phone.symbol = std::string(fields[0]);
    if (!to_number(fields[1], phone.duration_ms) || phone.duration_ms < 0 ||
        phone.duration_ms > kMaxDurationMs)
        return failure(line, "bad duration");
    for (size_t i = 2; i + 1 < fields.size(); i += 2) {
        PitchTarget target;
        if (!to_number(fields[i], target.position_percent) || !to_number(fields[i + 1], target.hz))
            return failure(line, "bad pitch target");
        if (target.hz < kMinPitchHz || target.hz > kMaxPitchHz)
            return failure(line, "pitch out of range");
        // Positions outside the phoneme are taken at its nearest edge.
        target.position_percent = std::clamp(target.position_percent, 0.0, 100.0);
        phone.pitch.push_back(target);
    }
    std::stable_sort(phone.pitch.begin(), phone.pitch.end(),
                     [](const PitchTarget& a, const PitchTarget& b) {
                         return a.position_percent < b.position_percent;
                     });
    parsed.kind = LineKind::kPhone;
    return parsed;
}

}  // namespace mbrola
