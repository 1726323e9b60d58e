// The window's display settings from sections VIDEO and BRAILLE of the family
// configuration file, and the colour table they map into.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/files.h"
#include "host/types.h"

namespace textwindow {

using ColourMap = std::array<uint32_t, 16>;

constexpr ColourMap identity_colour_map = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

struct DisplaySettings {
    ColourMap colour_map = identity_colour_map;
    bool fixed_colours = false;
    bool slow_scroll = false;
    // Background x 16 + text colour, kept in one byte.
    uint8_t attribute = 0x07;
    // 0 off, 1 or 2; 3 is kept as read and acts as 1 once the mode is set.
    int braille_mode = 0;
    int magnifier_factor = 2;
    std::string font_face = "Lucida Console";
    int char_width = 13;
    int char_height = 28;
    bool maximized = false;
};

// Reads every setting from the bare "KORALU.INI" (the Windows folder), with the
// defaults for missing keys. The cell size defaults scale 13 x 28 pixels to
// the work area (1024 x 734 gives exactly 13 x 28).
DisplaySettings read_display_settings(host::Files& files, const host::Rect& work_area);

// Comma-separated decimal entries into the map. Parsing stops at the first
// entry that is not a plain decimal number; that entry still takes the digits
// it starts with (0 when none), and later entries keep what they had.
void parse_colour_map(std::string_view text, ColourMap& map);

// The leading decimal number of a value (optional sign), 0 when it has none.
// Out-of-range values saturate.
int parse_leading_decimal(std::string_view text);

// The RGB colour for a logical colour 0..15 through the map; a mapped value
// above 15 is black.
host::Rgb colour_rgb(const ColourMap& map, uint8_t logical_colour);

}  // namespace textwindow
