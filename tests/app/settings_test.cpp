// The settings a parent chooses: [ZIMBALOT] of KORALU.INI, and the lock
// against leaving by accident, run through the whole program.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fixture.h"
#include "host/native.h"

namespace {

TEST(Settings, DefaultsKeepTheProgramAsItWasAndValuesAreReadLeniently) {
    const std::string dir = testsupport::make_temp_dir("settings");
    host::native::Files files(host::ConfigFolders::only(dir));
    const app::ProgramSettings none = app::read_program_settings(files);
    EXPECT_FALSE(none.kiosk);
    EXPECT_FALSE(none.mute);
    EXPECT_FALSE(none.fullscreen);
    EXPECT_EQ(none.output_volume(), 100);

    const struct {
        const char* body;
        bool kiosk, mute, fullscreen;
        int volume;
    } cases[] = {
        {"TRAVA=S\nMUDO=sim\nTELACHEIA=Sim\nVOLUME=40\n", true, true, true, 0},
        {"TRAVA=N\nMUDO=nao\nTELACHEIA=\nVOLUME=40\n", false, false, false, 40},
        {"VOLUME=250\n", false, false, false, 100},  // brought to the nearer end
        {"VOLUME=-5\n", false, false, false, 0},
        {"VOLUME=meio\n", false, false, false, 100},  // not a number: the default
        {"VOLUME=40%\n", false, false, false, 100},
    };
    for (const auto& c : cases) {
        testsupport::write_file(dir + "/KORALU.INI", std::string("[ZIMBALOT]\n") + c.body);
        const app::ProgramSettings s = app::read_program_settings(files);
        EXPECT_EQ(s.kiosk, c.kiosk) << c.body;
        EXPECT_EQ(s.mute, c.mute) << c.body;
        EXPECT_EQ(s.fullscreen, c.fullscreen) << c.body;
        EXPECT_EQ(s.output_volume(), c.volume) << c.body;
    }
}

TEST(Settings, CommandLineVolume) {
    int v = -1;
    for (const char* good : {"0", "7", "100", "050"})
        EXPECT_TRUE(app::parse_volume(good, v)) << good;
    EXPECT_EQ(v, 50);
    for (const char* bad : {"", "101", "-1", "1000", "5x", " 5"})
        EXPECT_FALSE(app::parse_volume(bad, v)) << bad;
}

bool has(const std::vector<std::string>& lines, std::string_view suffix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= suffix.size() &&
               line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

struct Locked {
    std::vector<std::string> all;
    int exit_code = -1;
};

Locked run_locked(std::string_view script) {
    apptest::Bench bench(script);
    bench.context->window.set_kiosk(true);
    Locked r;
    r.exit_code = bench.run([&] { app::run_zimbalot(*bench.context); });
    r.all = bench.headless.backend->trace_lines();
    return r;
}

// ESC, closing the window, Alt+F4 and Ctrl+Break leave the child playing; a
// short press of the adult chord does nothing, holding it 2 s ends the program.
TEST(Kiosk, OnlyTheAdultChordHeldTwoSecondsEnds) {
    const std::string chord = "ctrl+alt+shift+Q";
    const Locked r = run_locked(
        "ESC wait 2000 SPACE SPACE ESC wait 4000 close alt+F4 ctrl+BREAK "
        "down " +
        chord + " wait 1500 up " + chord + " wait 1000 " + "down " + chord + " wait 2000 up " +
        chord);
    EXPECT_EQ(r.exit_code, 0);
    for (const char* refused :
         {" locked ESC", " locked close", " locked alt+F4", " locked ctrl+BREAK"})
        EXPECT_TRUE(has(r.all, refused)) << refused;
    // The first ESC (at the introduction) opened the box game instead of ending.
    EXPECT_TRUE(has(r.all, " picture caixaber"));
    EXPECT_FALSE(has(r.all, " sound fechando.wav"));
    EXPECT_TRUE(r.all.back().ends_with(" exit 0")) << r.all.back();
    // The short hold came first and did not end it: one unlock only.
    EXPECT_EQ(std::count_if(r.all.begin(), r.all.end(),
                            [](const std::string& l) { return l.ends_with(" unlocked"); }),
              1);
}

TEST(Kiosk, ReleasedTooSoonTheScriptRunsOut) {
    const Locked r = run_locked(
        "wait 2000 SPACE SPACE down ctrl+alt+shift+Q wait 1999 up ctrl+alt+shift+Q close");
    EXPECT_EQ(r.exit_code, 3);  // script used up while the program waited
    EXPECT_FALSE(has(r.all, " unlocked"));
}

}  // namespace
