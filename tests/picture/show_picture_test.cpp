// show_picture on the headless host: placement, the cleared screen, the
// palette kept between pictures, and the missing-file message.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/headless/headless_backend.h"
#include "pcx_builder.h"
#include "picture/pcx.h"
#include "picture/picture.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace {

using testpcx::PcxSpec;

struct Viewer {
    explicit Viewer(std::string_view script = "") : headless(script) {
        // A maximized window, so the client area holds a 640 x 480 picture.
        testsupport::write_file(headless.windows_dir + "/KORALU.INI", "[VIDEO]\nCANTOTELA=NAO\n");
        dir = testsupport::make_temp_dir("pictures");
    }
    host::Host& host() { return headless.host(); }
    host::headless::HeadlessBackend& backend() { return *headless.backend; }
    std::string add(const std::string& name, const std::vector<uint8_t>& bytes) {
        testsupport::write_file(dir + "/" + name + ".PCX", bytes);
        return dir + "/" + name;
    }
    std::vector<std::string> events() const { return headless.backend->events(); }

    testsupport::Headless headless;
    textwindow::TextWindow window{headless.host(), "zimbalot"};
    picture::PictureViewer viewer{headless.host(), window};
    std::string dir;
};

std::string fixture(const char* name) {
    return testsupport::source_path(std::string("tests/fixtures/picture/") + name);
}

// The decoded indices of a fixture, and its palette.
struct Indices {
    std::vector<std::vector<uint8_t>> rows;
    host::Rgb palette[256]{};
};
Indices indices_of(const std::string& path) {
    const std::vector<uint8_t> file = testsupport::read_file(path);
    Indices out;
    picture::decode_pcx(
        file.data(), file.size(),
        [&](int, const uint8_t* p, int n) { out.rows.emplace_back(p, p + n); }, out.palette);
    return out;
}

bool contains(const std::vector<std::string>& events, const std::string& line) {
    return std::find(events.begin(), events.end(), line) != events.end();
}

TEST(ShowPicture, A320x200PictureFillsTheDoubledBandBelowRow35) {
    Viewer v;
    v.window.clear_screen();
    ASSERT_GE(v.host().window.client_width(), 640);
    ASSERT_GE(v.host().window.client_height(), 480);
    const host::Rgb cleared = v.backend().pixel(639, 479);

    // The case of the name on disk does not matter ("logo320.pcx").
    const std::string name = testsupport::source_path("tests/fixtures/picture/logo320");
    v.viewer.show_picture(name);
    EXPECT_TRUE(contains(v.events(), "picture " + name));

    const Indices pic = indices_of(fixture("logo320.pcx"));
    ASSERT_EQ(pic.rows.size(), 200u);
    int mismatches = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            if (!(v.backend().pixel(x, 35 + y) == pic.palette[pic.rows[y / 2][x / 2]]))
                ++mismatches;
    EXPECT_EQ(mismatches, 0);
    // Above and below the band: the cleared text screen.
    for (int x : {0, 320, 639}) {
        EXPECT_EQ(v.backend().pixel(x, 34), cleared) << x;
        EXPECT_EQ(v.backend().pixel(x, 435), cleared) << x;
    }
    EXPECT_EQ(v.viewer.palette()[pic.rows[100][160]], pic.palette[pic.rows[100][160]]);
}

TEST(ShowPicture, A640x480PictureIsDrawnOneToOneFromTheTopLeft) {
    Viewer v;
    v.viewer.show_picture(fixture("logo640"));
    const Indices pic = indices_of(fixture("logo640.pcx"));
    ASSERT_EQ(pic.rows.size(), 480u);
    int mismatches = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (!(v.backend().pixel(x, y) == pic.palette[pic.rows[y][x]])) ++mismatches;
    EXPECT_EQ(mismatches, 0);
}

TEST(ShowPicture, AFileWithoutPaletteUsesThePreviousPicturesColours) {
    Viewer v;
    const host::Rgb green{0, 200, 0};
    const host::Rgb blue{0, 0, 200};
    PcxSpec with_palette;
    with_palette.width = 2;
    with_palette.height = 1;
    with_palette.codes = {3, 3};
    with_palette.palette.assign(256, host::Rgb{});
    with_palette.palette[3] = green;
    with_palette.palette[4] = blue;
    v.viewer.show_picture(v.add("first", testpcx::build(with_palette)));
    EXPECT_EQ(v.backend().pixel(0, 0), green);

    // Version 3 carries a palette that must be ignored; version 5 without the
    // marker has none.
    PcxSpec version3 = with_palette;
    version3.version = 3;
    version3.codes = {4, 4};
    version3.palette.assign(256, host::Rgb{255, 255, 255});
    PcxSpec no_marker = version3;
    no_marker.version = 5;
    no_marker.marker = 0;
    for (const PcxSpec* spec : {&version3, &no_marker}) {
        v.viewer.show_picture(v.add("next", testpcx::build(*spec)));
        EXPECT_EQ(v.backend().pixel(0, 0), blue);
        EXPECT_EQ(v.viewer.palette()[4], blue);
    }
}

TEST(ShowPicture, BeforeAnyPaletteEverythingIsBlack) {
    Viewer v;
    PcxSpec spec;
    spec.version = 3;
    spec.width = 2;
    spec.height = 1;
    spec.codes = {8, 7};
    v.window.set_text_colour(0x4F);  // a red background, so black is not the cleared screen
    v.viewer.show_picture(v.add("first", testpcx::build(spec)));
    EXPECT_EQ(v.backend().pixel(1, 0), (host::Rgb{0, 0, 0}));
}

TEST(ShowPicture, ATruncatedPictureDrawsTheRowsThatDecode) {
    Viewer v;
    v.window.clear_screen();
    const host::Rgb cleared = v.backend().pixel(2, 2);
    PcxSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.codes = {1, 1, 1, 1, 1, 1};  // one row and a half
    spec.palette.assign(256, host::Rgb{});
    spec.palette[1] = host::Rgb{10, 20, 30};
    v.viewer.show_picture(v.add("cut", testpcx::build(spec)));
    EXPECT_EQ(v.backend().pixel(3, 0), (host::Rgb{10, 20, 30}));
    EXPECT_EQ(v.backend().pixel(1, 1), (host::Rgb{10, 20, 30}));
    EXPECT_EQ(v.backend().pixel(2, 1), cleared);
    EXPECT_EQ(v.backend().pixel(0, 2), cleared);
}

TEST(ShowPicture, UndecodableFilesClearTheScreenAndDrawNothing) {
    Viewer v;
    PcxSpec good;
    good.width = 2;
    good.height = 1;
    good.codes = {5, 5};
    good.palette.assign(256, host::Rgb{1, 2, 3});
    v.viewer.show_picture(v.add("good", testpcx::build(good)));
    ASSERT_EQ(v.backend().pixel(0, 0), (host::Rgb{1, 2, 3}));

    PcxSpec planar = good;
    planar.planes = 3;
    planar.palette.assign(256, host::Rgb{200, 200, 200});
    const std::string short_name = v.add("short", std::vector<uint8_t>(60, 10));
    const std::string planar_name = v.add("planar", testpcx::build(planar));
    for (const std::string& name : {short_name, planar_name}) {
        const size_t from = v.events().size();
        v.viewer.show_picture(name);
        EXPECT_NE(v.backend().pixel(0, 0), (host::Rgb{1, 2, 3})) << name;
        EXPECT_TRUE(contains(v.backend().events(from), "picture-refused " + name));
    }
}

TEST(ShowPicture, AMissingPictureIsReportedAndWaitsForEnter) {
    Viewer v("type \"x\" ENTER");
    v.viewer.show_picture("capa");
    const std::string expected = "Arquivo capa.PCX nao foi achado. Tecle Enter";
    std::string row0;
    for (int c = 0; c < static_cast<int>(expected.size()); ++c)
        row0.push_back(static_cast<char>(v.window.cell_character(c, 0)));
    EXPECT_EQ(row0, expected);
    // The wait took the typed line, echoed on the next row.
    EXPECT_EQ(v.window.cell_character(0, 1), 'x');
    EXPECT_FALSE(v.window.key_pressed());
}

TEST(ShowPicture, AMissingPictureWithoutEnterKeepsWaiting) {
    Viewer v;
    EXPECT_THROW(v.viewer.show_picture("capa"), host::headless::ProcessExit);
    EXPECT_EQ(v.events().end()[-2], "script-end");
}

}  // namespace
