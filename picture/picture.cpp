#include "picture/picture.h"

#include <string>
#include <vector>

#include "picture/pcx.h"

namespace picture {

namespace {

// Pictures of the program's own size are shown doubled in the band below the
// title rows of the 640 x 480 window.
constexpr int doubled_width = 320;
constexpr int doubled_top = 35;

}  // namespace

PictureViewer::PictureViewer(host::Host& host, textwindow::TextWindow& window)
    : host_(host), window_(window) {}

void PictureViewer::show_picture(std::string_view name) {
    const std::string file_name = std::string(name) + ".PCX";
    std::vector<uint8_t> bytes;
    if (!host_.files.read_whole(file_name, bytes)) {
        window_.clear_screen();
        window_.write_output_line("Arquivo " + file_name + " nao foi achado. Tecle Enter");
        window_.read_input_line();
        return;
    }

    // A file too short for its header, or not one 8-bit plane, is refused:
    // the screen is cleared, as for a picture of which nothing decodes, and
    // the palette is left alone.
    PcxHeader header;
    const bool usable = read_pcx_header(bytes.data(), bytes.size(), header) && header.planes == 1 &&
                        header.bits_per_pixel == 8;
    // The palette is taken before the screen is cleared; a file without one
    // keeps the previous picture's colours.
    if (usable) read_pcx_palette(bytes.data(), bytes.size(), header, palette_);
    window_.clear_screen();
    if (!usable) {
        host_.trace.event("picture-refused", name);
        return;
    }
    host_.trace.event("picture", name);

    host::Window& surface = window_.window();
    const bool doubled = header.width() == doubled_width;
    // The row buffer is one pixel high, so each row is copied as one row
    // (not the two rows of the unstretched copy, whose second has no source).
    decode_pcx(bytes.data(), bytes.size(), [&](int y, const uint8_t* indices, int count) {
        if (doubled)
            surface.draw_pixel_row(0, doubled_top + 2 * y, indices, count, palette_, 2 * count, 2);
        else
            surface.draw_pixel_row(0, y, indices, count, palette_, count, 1);
    });
}

}  // namespace picture
