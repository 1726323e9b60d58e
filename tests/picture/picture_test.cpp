// PCX decoding and show_picture: ImageMagick's pictures pixel for pixel, the
// run-length edge cases, the palette kept between pictures, the missing file.
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "picture/pcx.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace {

using Rows = std::vector<std::vector<uint8_t>>;

struct Decoded {
    picture::PcxDecodeResult result;
    Rows rows;
    host::Rgb palette[256]{};
};

Decoded decode(const std::vector<uint8_t>& file) {
    Decoded d;
    d.result = picture::decode_pcx(
        file.data(), file.size(),
        [&](int, const uint8_t* p, int n) { d.rows.emplace_back(p, p + n); }, d.palette);
    return d;
}

// A version 5, one-plane, 8-bit file with these codes and, when given, a
// palette of one colour after the marker.
std::vector<uint8_t> pcx(int width, int height, std::vector<uint8_t> codes,
                         const host::Rgb* colour = nullptr, uint8_t version = 5, uint8_t planes = 1,
                         int bytes_per_line = 0) {
    std::vector<uint8_t> f(128, 0);
    f[0] = 10, f[1] = version, f[2] = 1, f[3] = 8, f[65] = planes;
    f[8] = uint8_t(width - 1), f[9] = uint8_t((width - 1) >> 8);
    f[10] = uint8_t(height - 1), f[11] = uint8_t((height - 1) >> 8);
    const int bpl = bytes_per_line ? bytes_per_line : width;
    f[66] = uint8_t(bpl), f[67] = uint8_t(bpl >> 8);
    f.resize(128 + codes.size() + (colour ? 769 : 0), 12);
    std::copy(codes.begin(), codes.end(), f.begin() + 128);
    for (size_t i = 128 + codes.size() + 1; colour && i + 2 < f.size(); i += 3)
        f[i] = colour->red, f[i + 1] = colour->green, f[i + 2] = colour->blue;
    return f;
}

struct Viewer {
    explicit Viewer(std::string_view script = "") : headless(script) {
        // Maximized, so the client area holds a 640 x 480 picture.
        testsupport::write_file(headless.windows_dir + "/KORALU.INI", "[VIDEO]\nCANTOTELA=NAO\n");
    }
    host::Rgb pixel(int x, int y) const { return headless.backend->pixel(x, y); }
    std::string add(const std::string& name, const std::vector<uint8_t>& bytes) {
        testsupport::write_file(dir + "/" + name + ".PCX", bytes);
        return dir + "/" + name;
    }
    testsupport::Headless headless;
    textwindow::TextWindow window{headless.host(), "zimbalot"};
    picture::PictureViewer viewer{headless.host(), window};
    std::string dir = testsupport::make_temp_dir("pictures");
};

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t v = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) v = (v ^ b) * 0x100000001b3ull;
    return v;
}

struct Fixture {
    const char* file;  // on disk
    const char* name;  // as shown: its case does not matter
    int top;           // client row of the picture's first row
    int scale;         // 2: shown doubled
};

class ImageMagickPicture : public testing::TestWithParam<Fixture> {};

TEST_P(ImageMagickPicture, DecodesToImageMagicksRgbAndIsPlaced) {
    const Fixture& fx = GetParam();
    const std::string dir = testsupport::source_path("tests/fixtures/picture/");
    const Decoded d = decode(testsupport::read_file(dir + fx.file));
    ASSERT_EQ(d.result.status, picture::PcxStatus::complete);
    std::vector<uint8_t> rgb;
    for (const auto& row : d.rows)
        for (uint8_t i : row)
            rgb.insert(rgb.end(), {d.palette[i].red, d.palette[i].green, d.palette[i].blue});

    // expected_rgb.txt holds ImageMagick's own decoding (see make_fixtures.sh).
    std::ifstream in(dir + "expected_rgb.txt");
    std::string kind, name, hash;
    int width = 0, height = 0;
    while (in >> kind >> name) {
        if (kind == "picture" && name == fx.file) {
            in >> width >> height >> hash;
            break;
        }
        std::getline(in, kind);
    }
    ASSERT_EQ(d.result.header.width(), width);
    ASSERT_EQ(d.rows.size(), size_t(height));
    EXPECT_EQ(fnv1a(rgb), std::stoull(hash, nullptr, 16));

    Viewer v;
    v.window.clear_screen();
    const host::Rgb cleared = v.pixel(639, 479);
    v.viewer.show_picture(dir + fx.name);
    EXPECT_EQ(v.headless.backend->events().back(), "picture " + dir + fx.name);
    int wrong = 0;
    for (int y = 0; y < height * fx.scale; ++y)
        for (int x = 0; x < 640; ++x)
            wrong += !(v.pixel(x, fx.top + y) == d.palette[d.rows[y / fx.scale][x / fx.scale]]);
    EXPECT_EQ(wrong, 0);
    if (fx.top > 0) {
        EXPECT_EQ(v.pixel(100, fx.top - 1), cleared);
        EXPECT_EQ(v.pixel(100, fx.top + 400), cleared);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ImageMagickPicture,
                         testing::Values(Fixture{"logo320.pcx", "logo320", 35, 2},
                                         Fixture{"logo640.pcx", "LOGO640", 0, 1}));

struct RowCase {
    int width, height;
    std::vector<uint8_t> codes;
    Rows rows;
    int bytes_per_line = 0;
};

TEST(DecodePcx, RunsAndRows) {
    const RowCase cases[] = {
        // Indices above 191 come as runs of one.
        {4, 2, {1, 0xC3, 200, 0xC1, 0xC0, 0xC4, 7}, {{1, 200, 200, 200}, {192, 7, 7, 7}}},
        // A run of 0 does not advance: the next code starts at the same column.
        {3, 1, {1, 0xC0, 9, 2, 3}, {{1, 2, 3}}},
        // The overshoot of a run past x max is dropped, not carried over.
        {4, 2, {0xC6, 5, 1, 2, 3, 4}, {{5, 5, 5, 5}, {1, 2, 3, 4}}},
        // Data ending inside a row: the decoded columns are still drawn.
        {4, 3, {1, 2, 3, 4, 5, 6}, {{1, 2, 3, 4}, {5, 6}}},
        {3, 2, {1, 2, 3, 0xC2}, {{1, 2, 3}}},
        // Rows padded to an even byte count.
        {3, 2, {1, 2, 3, 0, 4, 5, 6, 0}, {{1, 2, 3}, {4, 5, 6}}, 4},
    };
    for (const RowCase& c : cases)
        EXPECT_EQ(decode(pcx(c.width, c.height, c.codes, nullptr, 5, 1, c.bytes_per_line)).rows,
                  c.rows)
            << int(c.codes[0]) << "," << c.codes.size();
}

TEST(DecodePcx, BoundsAndRefusals) {
    // Wider than the row buffer: clipped to it, and the next row still in step.
    std::vector<uint8_t> codes;
    for (int i = 0; i < 50; ++i) codes.insert(codes.end(), {0xC0 | 60, 7});
    for (int i = 0; i < 3000; ++i) codes.push_back(uint8_t(i % 191));
    const Decoded wide = decode(pcx(3000, 2, codes));
    ASSERT_EQ(wide.rows.size(), 2u);
    EXPECT_EQ(wide.rows[0], std::vector<uint8_t>(picture::row_buffer_pixels, 7));
    EXPECT_EQ(wide.rows[1][2047], 2047 % 191);

    // With a palette, a short image stops at the marker instead of painting it.
    const host::Rgb grey{9, 9, 9};
    EXPECT_EQ(decode(pcx(4, 100, {1, 2, 3, 4}, &grey)).rows, (Rows{{1, 2, 3, 4}}));

    EXPECT_EQ(decode(std::vector<uint8_t>(127, 10)).result.status, picture::PcxStatus::too_short);
    EXPECT_EQ(decode(pcx(2, 1, {1, 2, 3, 4, 5, 6}, nullptr, 5, 3)).result.status,
              picture::PcxStatus::unsupported);
}

TEST(ShowPicture, AFileWithoutPaletteKeepsThePreviousPicturesColours) {
    Viewer v;
    const host::Rgb green{0, 200, 0}, white{255, 255, 255};
    v.viewer.show_picture(v.add("first", pcx(2, 1, {3, 3}, &green)));
    EXPECT_EQ(v.pixel(0, 0), green);
    // Version 3 carries a palette that is ignored; version 5 without the
    // marker has none.
    std::vector<uint8_t> no_marker = pcx(2, 1, {4, 4}, &white);
    no_marker[128 + 2] = 0;
    for (const auto& file : {pcx(2, 1, {4, 4}, &white, 3), no_marker}) {
        v.viewer.show_picture(v.add("next", file));
        EXPECT_EQ(v.pixel(1, 0), green);
    }
    // A refused file clears the screen and leaves the palette alone.
    v.viewer.show_picture(v.add("planar", pcx(2, 1, {1, 1}, &white, 5, 3)));
    EXPECT_NE(v.pixel(0, 0), green);
    EXPECT_EQ(v.viewer.palette()[7], green);
    EXPECT_EQ(v.headless.backend->events().back(), "picture-refused " + v.dir + "/planar");
}

TEST(ShowPicture, AMissingPictureIsReportedAndWaitsForEnter) {
    Viewer v("type \"x\" ENTER");
    v.viewer.show_picture("capa");
    const std::string expected = "Arquivo capa.PCX nao foi achado. Tecle Enter";
    std::string row0;
    for (size_t c = 0; c < expected.size(); ++c) row0 += char(v.window.cell_character(int(c), 0));
    EXPECT_EQ(row0, expected);
    EXPECT_EQ(v.window.cell_character(0, 1), 'x');  // the line typed, echoed

    Viewer silent;  // no Enter ever comes: it keeps waiting
    EXPECT_THROW(silent.viewer.show_picture("capa"), host::headless::ProcessExit);
}

}  // namespace
