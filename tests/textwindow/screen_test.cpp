#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/textwindow/window_fixture.h"
#include "textwindow/display_settings.h"

namespace textwindow {
namespace {

constexpr host::Rgb red{255, 0, 0};
constexpr host::Rgb blue{0, 0, 255};
constexpr host::Rgb black{};

TEST_F(WindowTest, WritingMovesTheCursor) {
    struct Case {
        std::string bytes;
        std::string row0;  // the first 6 columns
        int column;
        int row;
    };
    const Case cases[] = {
        {"abc\rX", "Xbc   ", 1, 0},
        {"\b", "      ", 0, 0},  // backspace at column 0
        {"abc\b", "ab    ", 2, 0},
        {"abc\b\bZ", "aZ    ", 2, 0},
        {"ab\ncd", "ab    ", 2, 1},
        {"a\x01\x1b\t!", "a!    ", 2, 0},  // other controls are ignored
        {std::string(80, 'x'), "xxxxxx", 80, 0},
        {std::string(80, 'x') + "\b", "xxxxxx", 79, 0},
        {std::string(81, 'x'), "xxxxxx", 1, 1},
        {std::string(80, 'x') + "\r\n", "xxxxxx", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        start();
        window->write_text(c.bytes);
        EXPECT_EQ(row_text(0, 6), c.row0);
        EXPECT_EQ(window->cursor_column(), c.column);
        EXPECT_EQ(window->cursor_row(), c.row);
    }
    start();
    window->write_text(std::string(80, 'x') + "\b");
    EXPECT_EQ(window->cell_character(79, 0), ' ');
    window->write_text(std::string(2, 'y'));  // fills column 79, then wraps
    EXPECT_EQ(window->cell_character(79, 0), 'y');
    EXPECT_EQ(window->cell_character(0, 1), 'y');
}

TEST_F(WindowTest, BellBeepsAndTextIsTraced) {
    start();
    window->write_text(
        "ab\x07"
        "c\nd\"e");
    window->write_text(std::string(81, 'z'));
    const std::vector<std::string> expected = {
        "text 0 0 \"ab\"",
        "beep",
        "text 0 2 \"c\"",
        "text 1 0 \"d\\\"e\"",
        "text 1 3 \"" + std::string(77, 'z') + "\"",
        "text 2 0 \"zzzz\"",
    };
    std::vector<std::string> got;
    for (const std::string& e : events())
        if (e.rfind("text ", 0) == 0 || e == "beep") got.push_back(e);
    EXPECT_EQ(got, expected);
}

TEST_F(WindowTest, LineFeedOnTheLastRowScrolls) {
    start();
    window->clear_screen();
    for (int r = 0; r < 25; ++r) window->write_text((r ? "\nr" : "r") + std::to_string(r));
    ASSERT_EQ(window->cursor_row(), 24);
    window->set_text_colour(4);
    const uint64_t before = runs();
    window->write_text("\n");
    EXPECT_EQ(row_text(0, 3), "r1 ");
    EXPECT_EQ(row_text(23, 3), "r24");
    EXPECT_EQ(row_text(24), std::string(80, ' '));
    EXPECT_EQ(window->cell_attribute(0, 24), 0x04);
    EXPECT_EQ(window->cell_attribute(0, 23), 0x0F);
    EXPECT_EQ(window->cursor_row(), 24);
    // Without slow scrolling the whole window is repainted: a run per row.
    EXPECT_GE(runs() - before, 25u);
}

TEST_F(WindowTest, SlowScrollCopiesPixels) {
    start("[VIDEO]\nLENTO=S\nCORFUNDO=1\n");
    window->clear_screen();
    // A taller stand-in font leaves no room for 25 whole lines, and then
    // every scroll repaints.
    if (window->line_height() != 28)
        SKIP_ON_WINDOWS("the machine's stand-in for Lucida Console has its own line height (Wine)");
    window->write_text(std::string(24, '\n') + "last");
    const int h = window->line_height();
    const int w = window->cell_width();
    const host::Rgb glyph_row = pixel(w / 2, 24 * h + h / 2);
    const uint64_t before = runs();
    window->write_text("\n");
    EXPECT_EQ(runs() - before, 0u);  // nothing repainted
    EXPECT_EQ(pixel(w / 2, 23 * h + h / 2), glyph_row);
    EXPECT_EQ(pixel(w / 2, 24 * h + h / 2), blue);
    EXPECT_EQ(row_text(23, 4), "last");
}

TEST_F(WindowTest, OnlyTheChangedRangeIsDrawn) {
    start();
    window->clear_screen();
    window->pump_messages();  // the first paint of the shown window
    uint64_t before = runs();
    window->write_text("hello");
    EXPECT_EQ(runs() - before, 1u);
    window->set_text_colour(2);
    before = runs();
    window->write_text(" world\b\b");
    EXPECT_EQ(runs() - before, 1u);
    before = runs();
    window->write_text("\r");
    EXPECT_EQ(runs() - before, 0u);
    window->write_text("ab\ncd\nef");
    EXPECT_EQ(runs() - before, 3u);  // one run per row touched

    // A paint draws the cells it covers, one run per colour change.
    window->set_text_colour(3);
    window->write_text("\rX");
    const int w = window->cell_width();
    const int h = window->line_height();
    const auto paint = [&](host::Rect rect) {
        host::Message m;
        m.kind = host::MessageKind::paint;
        m.rect = rect;
        headless->host().messages.post_message(m);
        const uint64_t at = runs();
        window->pump_messages();
        return runs() - at;
    };
    EXPECT_EQ(paint({0, 2 * h, 80 * w, 3 * h}), 3u);         // "X" | "f" | blanks
    EXPECT_EQ(paint({0, 0, 80 * w, h}), 4u);                 // "ab" | "llo" | " world" | rest
    EXPECT_EQ(paint({w + 1, h - 1, 2 * w - 1, h + 1}), 2u);  // one cell on rows 0 and 1
    EXPECT_EQ(paint({0, 0, 2000, 2000}), 25u + 3 + 1 + 2);
    EXPECT_EQ(paint({-50, -50, 0, 0}), 0u);
}

TEST_F(WindowTest, ColoursGoThroughTheMap) {
    struct Case {
        const char* ini;
        host::Rgb background;
    };
    const Case cases[] = {
        {"[VIDEO]\nCORFUNDO=1\n", blue},
        {"[VIDEO]\nCORFUNDO=1\nTABCORES=0,4\n", red},
        {"[VIDEO]\nCORFUNDO=1\nTABCORES=0,99\n", black},
        {"[VIDEO]\nCORFUNDO=5\nTABCORES=0,4,x,3,4,1\n", host::Rgb{142, 0, 142}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        start(c.ini);
        window->clear_screen();
        EXPECT_EQ(pixel(3, 3), c.background);
    }
}

TEST_F(WindowTest, AllSixteenColoursOnABackground) {
    start("[VIDEO]\nCORFUNDO=8\n");
    window->clear_screen();
    for (int c = 0; c < 16; ++c) {
        window->set_text_colour(static_cast<uint8_t>(c));
        window->write_text("\xDB#M ");
    }
    if (const char* dir = std::getenv("ZIMBALOT_SHOT_DIR"))
        window->window().save_screenshot(std::string(dir) + "/sixteen_colours.png");
    // Somewhere in each character cell the text colour is drawn at full strength.
    const int w = window->cell_width();
    const int h = window->line_height();
    for (int c = 0; c < 16; ++c) {
        const host::Rgb expected = colour_rgb(identity_colour_map, static_cast<uint8_t>(c));
        bool found = false;
        for (int y = 0; y < h && !found; ++y)
            for (int x = 0; x < w && !found; ++x) found = pixel((c * 4 + 1) * w + x, y) == expected;
        EXPECT_TRUE(found) << c;
        EXPECT_EQ(window->cell_attribute(c * 4, 0), 0x80 | c);
    }
}

TEST_F(WindowTest, FixedColoursIgnoreRequests) {
    start("[VIDEO]\nCORESFIXAS=S\nCORLETRA=14\n");
    window->set_text_colour(4);
    EXPECT_EQ(window->text_attribute(), 0x0E);
    start();
    window->set_text_colour(0x24);  // only the low nibble counts
    EXPECT_EQ(window->text_attribute(), 0x04);
}

TEST_F(WindowTest, MagnifierZoomsAroundTheMouse) {
    start("", "rdown 408 296 move 200 100 rup");
    window->clear_screen();
    window->pump_messages();
    // A picture of 16 x 16 blocks, each its own colour.
    const auto block_colour = [](int bx, int by) {
        return host::Rgb{static_cast<uint8_t>(bx * 3), static_cast<uint8_t>(by * 5), 77};
    };
    for (int by = 0; by < 46; ++by)
        for (int bx = 0; bx < 66; ++bx)
            window->window().fill_rect({bx * 16, by * 16, bx * 16 + 16, by * 16 + 16},
                                       block_colour(bx, by));
    window->delay_ms(1);
    ASSERT_TRUE(window->magnifier_active());
    // The point under the mouse stays; 32 pixels away shows what lay 16 away.
    EXPECT_EQ(pixel(408, 296), block_colour(25, 18));
    EXPECT_EQ(pixel(408 + 32, 296 + 32), block_colour(26, 19));
    EXPECT_EQ(pixel(408 - 64, 296 - 64), block_colour(23, 16));
    window->delay_ms(1);
    EXPECT_EQ(pixel(200, 100), block_colour(12, 6));
    EXPECT_EQ(pixel(200 + 40, 100 + 8), block_colour(13, 6));
    window->delay_ms(1);
    EXPECT_FALSE(window->magnifier_active());
    EXPECT_EQ(pixel(408, 296), black);  // the text screen again
}

TEST_F(WindowTest, MagnifierFactorZeroDoesNothing) {
    start("[VIDEO]\nAMPLIF=0\n", "rdown 100 100 rup");
    window->clear_screen();
    window->pump_messages();
    window->window().fill_rect({0, 0, 100, 100}, red);
    window->delay_ms(1);
    EXPECT_FALSE(window->magnifier_active());
    EXPECT_EQ(pixel(150, 150), black);
    EXPECT_EQ(pixel(50, 50), red);
}

}  // namespace
}  // namespace textwindow
