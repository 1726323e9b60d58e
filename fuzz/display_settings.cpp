// The window's display settings read from an arbitrary KORALU.INI, and the
// colour map and number parsing on the raw bytes.
#include "textwindow/display_settings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/files.h"

namespace {

// Every file is the fuzz input; nothing touches the disk.
class OneFile : public host::Files {
public:
    explicit OneFile(std::string_view content) : content_(content) {}
    std::unique_ptr<host::InputFile> open_read(std::string_view) override { return nullptr; }
    bool read_whole(std::string_view, std::vector<uint8_t>& out) override {
        out.assign(content_.begin(), content_.end());
        return true;
    }
    bool write_whole(std::string_view, const std::vector<uint8_t>&) override { return false; }
    bool file_exists(std::string_view) override { return true; }
    bool directory_exists(std::string_view) override { return true; }
    std::string current_directory() override { return "/"; }
    bool set_current_directory(std::string_view) override { return false; }
    std::string windows_folder() override { return "/windows"; }
    std::string native_path(std::string_view path) override { return std::string(path); }

private:
    std::string_view content_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    OneFile files(text);
    for (const host::Rect area :
         {host::Rect{0, 0, 1024, 734}, host::Rect{0, 0, 0, 0}, host::Rect{0, 0, -5, 2000000000}}) {
        const textwindow::DisplaySettings s = textwindow::read_display_settings(files, area);
        for (int c = 0; c < 16; ++c)
            (void)textwindow::colour_rgb(s.colour_map, static_cast<uint8_t>(c));
    }
    textwindow::ColourMap map = textwindow::identity_colour_map;
    textwindow::parse_colour_map(text, map);
    (void)textwindow::parse_leading_decimal(text);
    return 0;
}
