// PCX pictures: decoding and showing 256-colour PCX files in the main window.
#pragma once
#include <cstdint>
#include <string_view>

#include "host/host.h"
#include "textwindow/text_window.h"

namespace picture {

class PictureViewer {
public:
    PictureViewer(host::Host& host, textwindow::TextWindow& window);
    // Opens name + ".PCX", clears the text screen and draws it; reports a
    // missing file on the text screen and waits for Enter.
    void show_picture(std::string_view name);
    // The current palette (kept between pictures).
    const host::Rgb* palette() const { return palette_; }

private:
    host::Host& host_;
    textwindow::TextWindow& window_;
    host::Rgb palette_[256]{};
};

}  // namespace picture
