// Letters for a program that never shows its window (falar): the metrics a
// font of the asked size would have, blank glyphs, and no pictures written.
// It keeps the font libraries out of such a program.
#include <algorithm>

#include "host/common/typeface.h"

namespace host::common {

namespace {

class PlainTypeface : public Typeface {
public:
    explicit PlainTypeface(FontMetrics metrics) : metrics_(metrics) {}
    FontMetrics metrics() const override { return metrics_; }
    Glyph render(uint8_t) override {
        Glyph g;
        g.width = std::max(1, metrics_.average_width);
        g.alpha.assign(size_t(g.width) * size_t(std::max(0, metrics_.height)), 0);
        return g;
    }

private:
    FontMetrics metrics_;
};

}  // namespace

std::unique_ptr<Typeface> open_system_typeface() {
    return std::make_unique<PlainTypeface>(FontMetrics{8, 16, 0, 13, 0});
}

std::unique_ptr<Typeface> open_typeface(std::string_view, int height, int width, int) {
    if (height <= 0 || height > 2000 || width < 0 || width > 2000) return nullptr;
    // A face's average width is about half its height.
    return std::make_unique<PlainTypeface>(
        FontMetrics{width > 0 ? width : std::max(1, height / 2), height, 0, height * 4 / 5, 0});
}

bool write_png(const uint32_t*, int, int, const std::string&) {
    return false;
}

}  // namespace host::common
