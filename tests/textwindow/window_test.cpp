#include <gtest/gtest.h>

#include "tests/textwindow/window_fixture.h"

namespace textwindow {
namespace {

TEST_F(WindowTest, DefaultsWithoutConfigurationFile) {
    start();
    window->ensure_window();
    if (window->line_height() != 28)
        SKIP_ON_WINDOWS("the machine's stand-in for Lucida Console has its own line height (Wine)");
    const DisplaySettings& s = window->display_settings();
    EXPECT_EQ(window->text_attribute(), 0x0F);  // white on black
    EXPECT_EQ(s.font_face, "Lucida Console");
    EXPECT_EQ(window->cell_width(), 13);  // from the 1024 x 734 work area
    EXPECT_EQ(window->line_height(), 28);
    EXPECT_EQ(s.magnifier_factor, 2);
    EXPECT_EQ(window->braille_mode(), 0);
    EXPECT_FALSE(s.fixed_colours);
    EXPECT_FALSE(s.slow_scroll);
    // Frames of 4 and a caption of 23 around 80 x 25 cells.
    EXPECT_TRUE(has_event("window-create 1040 700"));
    EXPECT_TRUE(has_event("title /opt/zimbalot/zimbalot"));
    EXPECT_TRUE(has_event("show normal"));
    EXPECT_TRUE(has_event("braille 0"));
    EXPECT_TRUE(events_of({"tone"}).empty());

    // Only the first use creates the window.
    window->clear_screen();
    window->key_pressed();
    EXPECT_EQ(events_of({"window-create"}).size(), 1u);
}

TEST_F(WindowTest, SettingsThatChangeTheWindow) {
    struct Case {
        const char* ini;
        const char* show;
        uint8_t attribute;
        int factor;
        int braille;
    };
    const Case cases[] = {
        {"[VIDEO]\nCANTOTELA=NAO\n", "show maximized", 0x0F, 2, 0},
        {"[VIDEO]\nCANTOTELA=\n", "show maximized", 0x0F, 2, 0},
        {"[VIDEO]\nCANTOTELA=sim\n", "show normal", 0x0F, 2, 0},
        {"[VIDEO]\nCORLETRA=\nCORFUNDO=\n", "show normal", 0x07, 2, 0},
        {"[VIDEO]\nCORLETRA=14\nCORFUNDO=1\n", "show normal", 0x1E, 2, 0},
        {"[VIDEO]\nCORLETRA=20\n", "show normal", 0x14, 2, 0},  // one byte
        {"[VIDEO]\nAMPLIF=10\n", "show normal", 0x0F, 1, 0},
        {"[VIDEO]\nAMPLIF=8\n", "show normal", 0x0F, 0, 0},
        {"[VIDEO]\nAMPLIF=\n", "show normal", 0x0F, 0, 0},
        {"[BRAILLE]\nMODO=2\n", "show normal", 0x0F, 2, 2},
        {"[BRAILLE]\nMODO=3\n", "show normal", 0x0F, 2, 1},
        {"[BRAILLE]\nMODO=x\n", "show normal", 0x0F, 2, 0},  // 'x' AND 3 = 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        start(c.ini);
        window->ensure_window();
        EXPECT_TRUE(has_event(c.show));
        EXPECT_EQ(window->text_attribute(), c.attribute);
        EXPECT_EQ(window->display_settings().magnifier_factor, c.factor);
        EXPECT_EQ(window->braille_mode(), c.braille);
    }
}

TEST_F(WindowTest, CellSizeFromTheConfiguration) {
    start("[VIDEO]\nLARGURALETRA=10\nALTURALETRA=20\n");
    window->ensure_window();
    EXPECT_EQ(window->cell_width(), 10);
    EXPECT_EQ(window->line_height(), 20);
    EXPECT_TRUE(has_event("window-create 800 500"));
}

TEST_F(WindowTest, KeysBecomeTheirCodes) {
    start("",
          "UP ctrl+UP shift+INSERT ctrl+alt+A ctrl+alt+0 alt+LEFT alt+RIGHT ctrl+BACKSPACE "
          "ctrl+ENTER F1 F10 F12 ctrl+F1 ctrl+F12 DELETE ctrl+PGUP ctrl+INSERT alt+X alt+F1 "
          "a shift+A 5 ESC BACKSPACE ENTER type \"xy\" ctrl+C");
    const std::vector<int> expected = {0,  72,  0,  113, 0,   254, 0,   30, 0,  129, 0,   75,  0,
                                       77, 127, 10, 0,   59,  0,   70,  0,  94, 0,   105, 0,   83,
                                       0,  132, 0,  255, 'a', 'A', '5', 27, 8,  13,  'x', 'y', 3};
    EXPECT_EQ(read_keys(expected.size()), expected);
    // F10 and Alt without Ctrl are the platform's; nothing more was queued.
    EXPECT_EQ(exit_code([&] { window->read_key(); }), 3);
    EXPECT_EQ(events_of({"key"}).size(), expected.size());
}

TEST_F(WindowTest, QueueKeepsTheFirst64Keys) {
    start("", "type \"" + std::string(65, 'k') + "\"");
    window->delay_ms(1);
    EXPECT_EQ(window->queued_key_count(), 64u);
    EXPECT_EQ(read_keys(64), std::vector<int>(64, 'k'));
    EXPECT_FALSE(window->key_pressed());
}

TEST_F(WindowTest, PairsNeedTwoFreePlaces) {
    struct Case {
        int filled;
        const char* key;
        size_t after;
    };
    const Case cases[] = {
        {62, "ctrl+alt+A", 64}, {63, "ctrl+alt+A", 63}, {62, "UP", 64},
        {63, "UP", 63},         {63, "z", 64},          {64, "z", 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.filled) + " " + c.key);
        start("", "type \"" + std::string(c.filled, 'q') + "\" " + c.key);
        window->delay_ms(1);
        ASSERT_EQ(window->queued_key_count(), static_cast<size_t>(c.filled));
        window->delay_ms(1);
        EXPECT_EQ(window->queued_key_count(), c.after);
    }
}

// Keys pressed while a mode is announced still count in the old mode, so each
// script first waits for the announcement to end.
TEST_F(WindowTest, BrailleChordsThroughTheWindow) {
    start("[BRAILLE]\nMODO=1\n",
          "wait 1000 "
          "down F down D up F up D "  // b
          "down A up A "              // a letter key that is no chord key: a blank
          "down F down J up J up F "  // c, released in another order
          "5 ctrl+F "                 // digits and Ctrl codes stay characters
          "down F down D down SPACE up F up D up SPACE");  // space with "b"
    window->ensure_window();
    EXPECT_EQ(read_keys(6), (std::vector<int>{'b', ' ', 'c', '5', 6, 2}));
}

TEST_F(WindowTest, CtrlAltF11AndF12SwitchBrailleWithTones) {
    start("",
          "ctrl+alt+F11 wait 1000 ctrl+alt+F11 wait 1000 ctrl+alt+F11 wait 1000 "
          "ctrl+alt+F12 wait 1000 ENTER");
    EXPECT_EQ(read_keys(1), std::vector<int>{13});
    const std::vector<std::string> expected = {
        "0 braille 0",    "0 tone 800",    "200 tone-stop",  "200 tone 1600",  "400 tone-stop",
        "400 braille 1",  "1000 tone 800", "1200 tone-stop", "1200 tone 400",  "1400 tone-stop",
        "1400 braille 2", "2000 tone 800", "2200 tone-stop", "2200 tone 1600", "2400 tone-stop",
        "2400 braille 1", "3000 tone 100", "3200 tone-stop", "3200 braille 0",
    };
    EXPECT_EQ(events_of({"tone", "tone-stop", "braille"}), expected);
    EXPECT_EQ(window->braille_mode(), 0);
}

TEST_F(WindowTest, LineInputEchoes) {
    start("", "type \"abc\" BACKSPACE type \"d\" UP ENTER");
    EXPECT_EQ(window->read_line(128), "abd\r\n");
    EXPECT_EQ(row_text(0, 4), "abd ");
    EXPECT_EQ(window->cursor_row(), 1);
    EXPECT_EQ(window->cursor_column(), 0);

    // Only capacity - 2 characters are taken.
    script("type \"123456\" ENTER");
    EXPECT_EQ(window->read_line(5), "123\r\n");
    script("type \"hello\" ENTER");
    EXPECT_EQ(window->read_input_line(), "hello");
}

TEST_F(WindowTest, EndingTheProgram) {
    struct Case {
        const char* script;
        int code;
        bool hook;  // "Programa terminado" set before the end
    };
    const Case cases[] = {
        {"close", 0, false},
        {"alt+F4", 0, false},
        {"ctrl+BREAK", 255, true},
        {"quit", 255, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        start("", std::string("a ") + c.script);
        EXPECT_EQ(window->read_key(), 'a');
        EXPECT_EQ(exit_code([&] { window->read_key(); }), c.code);
        EXPECT_EQ(has_event("title Programa terminado"), c.hook);
        EXPECT_EQ(has_event("window-destroy"), !c.hook);
        EXPECT_EQ(events().back(), "exit " + std::to_string(c.code));
    }
    start();
    EXPECT_EQ(exit_code([&] { window->close_window_and_exit(); }), 0);
}

TEST_F(WindowTest, WaveHandlerAndWakeUps) {
    start();
    std::vector<uint32_t> done;
    window->register_wave_handler([&](uint32_t id) { done.push_back(id); });
    host::Message m;
    m.kind = host::MessageKind::wave_done;
    m.block_id = 3;
    headless->host().messages.post_message(m);
    window->post_message(host::wake_stop_speech);
    window->pump_messages();
    EXPECT_EQ(done, std::vector<uint32_t>{3});
    EXPECT_FALSE(window->key_pressed());
}

}  // namespace
}  // namespace textwindow
