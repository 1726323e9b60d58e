// The PCX decoder on files made by ImageMagick and on hand-made edge cases.
#include "picture/pcx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pcx_builder.h"
#include "support.h"

namespace {

using picture::decode_pcx;
using picture::PcxStatus;
using testpcx::PcxSpec;

struct Decoded {
    picture::PcxDecodeResult result;
    std::vector<std::vector<uint8_t>> rows;
    host::Rgb palette[256]{};
};

Decoded decode(const std::vector<uint8_t>& file) {
    Decoded d;
    d.result = decode_pcx(
        file.data(), file.size(),
        [&](int y, const uint8_t* indices, int count) {
            EXPECT_EQ(y, static_cast<int>(d.rows.size()));
            d.rows.emplace_back(indices, indices + count);
        },
        d.palette);
    return d;
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t v = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) v = (v ^ b) * 0x100000001b3ull;
    return v;
}

struct Expected {
    int width = 0;
    int height = 0;
    uint64_t hash = 0;
    struct Pixel {
        int x, y, r, g, b;
    };
    std::vector<Pixel> pixels;
};

Expected expected_for(const std::string& file) {
    std::ifstream in(testsupport::source_path("tests/fixtures/picture/expected_rgb.txt"));
    Expected e;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, name;
        fields >> kind >> name;
        if (name != file) continue;
        if (kind == "picture") {
            std::string hash;
            fields >> e.width >> e.height >> hash;
            e.hash = std::stoull(hash, nullptr, 16);
        } else {
            Expected::Pixel p{};
            fields >> p.x >> p.y >> p.r >> p.g >> p.b;
            e.pixels.push_back(p);
        }
    }
    return e;
}

class ImageMagickPicture : public testing::TestWithParam<const char*> {};

TEST_P(ImageMagickPicture, DecodesToImageMagicksOwnRgb) {
    const std::string name = GetParam();
    const std::vector<uint8_t> file =
        testsupport::read_file(testsupport::source_path("tests/fixtures/picture/" + name));
    const Expected expected = expected_for(name);
    ASSERT_GT(expected.width, 0) << "no expectation for " << name;

    const Decoded d = decode(file);
    EXPECT_EQ(d.result.status, PcxStatus::complete);
    EXPECT_TRUE(d.result.has_palette);
    ASSERT_EQ(d.result.header.width(), expected.width);
    ASSERT_EQ(static_cast<int>(d.rows.size()), expected.height);

    std::vector<uint8_t> rgb;
    for (const auto& row : d.rows) {
        ASSERT_EQ(static_cast<int>(row.size()), expected.width);
        for (uint8_t index : row) {
            rgb.push_back(d.palette[index].red);
            rgb.push_back(d.palette[index].green);
            rgb.push_back(d.palette[index].blue);
        }
    }
    for (const auto& p : expected.pixels) {
        const host::Rgb c = d.palette[d.rows[p.y][p.x]];
        EXPECT_EQ((std::vector<int>{c.red, c.green, c.blue}), (std::vector<int>{p.r, p.g, p.b}))
            << "pixel " << p.x << "," << p.y;
    }
    EXPECT_EQ(fnv1a(rgb), expected.hash);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ImageMagickPicture,
                         testing::Values("logo320.pcx", "logo640.pcx"));

// Rows of hand-made image data and what they must decode to.
struct RowCase {
    const char* what;
    int width;
    int height;
    std::vector<uint8_t> codes;
    std::vector<std::vector<uint8_t>> rows;
    PcxStatus status;
    uint16_t bytes_per_line = 0;  // 0: the width
};

class DecodeRows : public testing::TestWithParam<RowCase> {};

TEST_P(DecodeRows, GivesTheseRows) {
    const RowCase& c = GetParam();
    PcxSpec spec;
    spec.width = c.width;
    spec.height = c.height;
    spec.bytes_per_line = c.bytes_per_line;
    spec.codes = c.codes;
    const Decoded d = decode(testpcx::build(spec));
    EXPECT_EQ(d.result.status, c.status);
    EXPECT_EQ(d.rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeRows,
    testing::Values(
        RowCase{"singles and runs, indices above 191 as runs of one",
                4,
                2,
                {1, 0xC3, 200, 0xC1, 0xC0, 0xC4, 7},
                {{1, 200, 200, 200}, {192, 7, 7, 7}},
                PcxStatus::complete},
        // A run of 0 paints one pixel that the next code overwrites, and
        // does not advance: the next code still starts at the same column.
        RowCase{"a run of count 0", 3, 1, {1, 0xC0, 9, 2, 3}, {{1, 2, 3}}, PcxStatus::complete},
        RowCase{"runs of count 0 only, then the data ends",
                2,
                1,
                {0xC0, 9, 0xC0, 8},
                {},
                PcxStatus::truncated},
        // The overshoot of a run past x max is dropped, not carried over.
        RowCase{"a run crossing x max",
                4,
                2,
                {0xC6, 5, 1, 2, 3, 4},
                {{5, 5, 5, 5}, {1, 2, 3, 4}},
                PcxStatus::complete},
        RowCase{
            "a 63-pixel run", 63, 1, {0xFF, 4}, {std::vector<uint8_t>(63, 4)}, PcxStatus::complete},
        RowCase{"data ending inside a row: the decoded columns are kept",
                4,
                3,
                {1, 2, 3, 4, 5, 6},
                {{1, 2, 3, 4}, {5, 6}},
                PcxStatus::truncated},
        RowCase{"data ending between a run header and its colour",
                3,
                2,
                {1, 2, 3, 0xC2},
                {{1, 2, 3}},
                PcxStatus::truncated},
        RowCase{"padded rows: bytes per line codes, width pixels",
                3,
                2,
                {1, 2, 3, 0, 4, 5, 6, 0},
                {{1, 2, 3}, {4, 5, 6}},
                PcxStatus::complete,
                4}),
    [](const testing::TestParamInfo<RowCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(DecodePcx, WideRowsAreClippedToTheRowBufferAndStayInStep) {
    PcxSpec spec;
    spec.width = 3000;
    spec.height = 2;
    for (int i = 0; i < 3000; i += 60) spec.codes.insert(spec.codes.end(), {0xC0 | 60, 7});
    for (int i = 0; i < 3000; ++i) spec.codes.push_back(static_cast<uint8_t>(i % 191));
    const Decoded d = decode(testpcx::build(spec));
    EXPECT_EQ(d.result.status, PcxStatus::complete);
    ASSERT_EQ(d.rows.size(), 2u);
    ASSERT_EQ(d.rows[0].size(), size_t(picture::row_buffer_pixels));
    EXPECT_EQ(d.rows[0], std::vector<uint8_t>(picture::row_buffer_pixels, 7));
    for (int x = 0; x < picture::row_buffer_pixels; ++x)
        ASSERT_EQ(d.rows[1][x], x % 191) << "column " << x;
}

TEST(DecodePcx, RefusesWhatItCannotDecode) {
    std::vector<uint8_t> short_file(127, 0x0A);
    EXPECT_EQ(decode(short_file).result.status, PcxStatus::too_short);
    EXPECT_TRUE(decode(short_file).rows.empty());

    for (auto [planes, bits] :
         {std::pair{3, 8}, std::pair{1, 1}, std::pair{4, 1}, std::pair{0, 8}}) {
        PcxSpec spec;
        spec.width = 2;
        spec.height = 1;
        spec.planes = static_cast<uint8_t>(planes);
        spec.bits_per_pixel = static_cast<uint8_t>(bits);
        spec.codes = {1, 2, 3, 4, 5, 6};
        const Decoded d = decode(testpcx::build(spec));
        EXPECT_EQ(d.result.status, PcxStatus::unsupported) << planes << " x " << bits;
        EXPECT_TRUE(d.rows.empty());
    }
}

TEST(DecodePcx, PaletteOnlyFromVersion5WithItsMarker) {
    const host::Rgb red{255, 0, 0};
    struct Case {
        uint8_t version;
        uint8_t marker;
        bool expected;
    };
    for (const Case& c :
         {Case{5, 12, true}, Case{5, 10, false}, Case{3, 12, false}, Case{0, 12, false}}) {
        PcxSpec spec;
        spec.version = c.version;
        spec.width = 2;
        spec.height = 1;
        spec.codes = {1, 1};
        spec.palette.assign(256, red);
        spec.marker = c.marker;
        const Decoded d = decode(testpcx::build(spec));
        EXPECT_EQ(d.result.has_palette, c.expected) << int(c.version) << "/" << int(c.marker);
        EXPECT_EQ(d.palette[1] == red, c.expected);
    }
}

// With a palette, a short image must not paint the palette bytes as pixels.
TEST(DecodePcx, ImageDataEndsAtThePaletteMarker) {
    PcxSpec spec;
    spec.width = 4;
    spec.height = 100;
    spec.codes = {1, 2, 3, 4};
    spec.palette.assign(256, host::Rgb{9, 9, 9});
    const Decoded d = decode(testpcx::build(spec));
    EXPECT_EQ(d.result.status, PcxStatus::truncated);
    EXPECT_EQ(d.rows, (std::vector<std::vector<uint8_t>>{{1, 2, 3, 4}}));
}

}  // namespace
