// Small value types shared by every host concern.
#pragma once
#include <cstdint>

namespace host {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Modifier state at the moment a key message was generated.
struct Modifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};

}  // namespace host
