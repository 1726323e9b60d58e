#include "textwindow/display_settings.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace textwindow {
namespace {

constexpr std::string_view ini_file = "KORALU.INI";
constexpr size_t value_buffer = 80;

constexpr host::Rgb colour_table[16] = {
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
    {128, 128, 128}, {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
    {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255},
};

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool starts_with_yes(std::string_view value) {
    return !value.empty() && (value.front() == 'S' || value.front() == 's');
}

// The first character's code, as a C string gives it: 0 for an empty value.
unsigned first_code(std::string_view value) {
    return value.empty() ? 0u : static_cast<unsigned char>(value.front());
}

uint32_t leading_digits(std::string_view text, size_t& used) {
    uint64_t value = 0;
    used = 0;
    while (used < text.size() && is_digit(text[used])) {
        value = value * 10 + static_cast<uint64_t>(text[used] - '0');
        if (value > UINT32_MAX) value = UINT32_MAX;
        ++used;
    }
    return static_cast<uint32_t>(value);
}

int scaled_cell(int work_area_size, double reference_size, double reference_cell) {
    return static_cast<int>(std::lround(work_area_size / reference_size * reference_cell));
}

}  // namespace

int parse_leading_decimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    size_t used = 0;
    const uint32_t value = leading_digits(text, used);
    const int64_t capped = std::min<int64_t>(value, INT_MAX);
    return static_cast<int>(negative ? -capped : capped);
}

void parse_colour_map(std::string_view text, ColourMap& map) {
    // A value that is empty, or ends in a comma, has no entry after the last
    // comma: "0,4," sets two entries and keeps the rest.
    size_t slot = 0;
    while (!text.empty() && slot < map.size()) {
        const size_t comma = text.find(',');
        const std::string_view entry = text.substr(0, comma);
        size_t used = 0;
        map[slot++] = leading_digits(entry, used);
        if (entry.empty() || used != entry.size() || comma == std::string_view::npos) return;
        text.remove_prefix(comma + 1);
    }
}

host::Rgb colour_rgb(const ColourMap& map, uint8_t logical_colour) {
    const uint32_t mapped = map[logical_colour & 0x0F];
    return mapped > 15 ? host::Rgb{} : colour_table[mapped];
}

DisplaySettings read_display_settings(host::Files& files, const host::Rect& work_area) {
    const auto video = [&](std::string_view key, std::string_view fallback, size_t buffer) {
        return host::read_profile_string(files, ini_file, "VIDEO", key, fallback, buffer);
    };
    DisplaySettings s;
    parse_colour_map(video("TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15", value_buffer),
                     s.colour_map);
    s.fixed_colours = starts_with_yes(video("CORESFIXAS", "N", value_buffer));
    s.slow_scroll = starts_with_yes(video("LENTO", "N", value_buffer));

    // Present but empty leaves the start values 0 and 7; missing takes the
    // defaults 0 and 15. The defaults are not empty, so one read tells them apart.
    int background = 0;
    int text = 7;
    const std::string background_value = video("CORFUNDO", "0", value_buffer);
    if (!background_value.empty()) background = parse_leading_decimal(background_value);
    const std::string text_value = video("CORLETRA", "15", value_buffer);
    if (!text_value.empty()) text = parse_leading_decimal(text_value);
    s.attribute = static_cast<uint8_t>((int64_t{background} * 16 + text) & 0xFF);

    s.braille_mode = static_cast<int>(first_code(host::read_profile_string(
                                          files, ini_file, "BRAILLE", "MODO", "0", value_buffer)) &
                                      3u);
    s.magnifier_factor = static_cast<int>(first_code(video("AMPLIF", "2", 2)) & 7u);
    s.font_face = video("FONTE", "Lucida Console", value_buffer);

    const std::string width = video("LARGURALETRA", "", value_buffer);
    s.char_width =
        width.empty() ? scaled_cell(work_area.width(), 1024.0, 13.0) : parse_leading_decimal(width);
    const std::string height = video("ALTURALETRA", "", value_buffer);
    s.char_height = height.empty() ? scaled_cell(work_area.height(), 734.0, 28.0)
                                   : parse_leading_decimal(height);

    s.maximized = !starts_with_yes(video("CANTOTELA", "SIM", value_buffer));
    return s;
}

}  // namespace textwindow
