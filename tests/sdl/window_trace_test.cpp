// The desktop and the simulation share one window core: the same window calls
// must leave the same trace lines and the same window state on both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/backend.h"
#include "host/headless/headless_backend.h"
#include "host/riff.h"
#include "host/text.h"
#include "support.h"

namespace {

// The trace lines without their time stamps (real time on the desktop).
std::vector<std::string> untimed(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        const size_t space = line.find(' ');
        out.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    return out;
}

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct WindowState {
    bool exists;
    int client_width;
    int client_height;
    host::Rect outer;
    bool operator==(const WindowState& o) const {
        return exists == o.exists && client_width == o.client_width &&
               client_height == o.client_height && outer.left == o.outer.left &&
               outer.top == o.outer.top && outer.right == o.outer.right &&
               outer.bottom == o.outer.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const WindowState& s) {
    return out << (s.exists ? "window " : "none ") << s.client_width << "x" << s.client_height
               << " at " << s.outer.left << "," << s.outer.top << "-" << s.outer.right << ","
               << s.outer.bottom;
}

// What the text window and the program do with the window in a run: create
// it, title it, centre it, limit it, show it, draw, beep, and end it. The
// state after each call is recorded (message boxes are left out: the
// desktop's waits for a person).
std::vector<WindowState> drive(host::Window& w) {
    std::vector<WindowState> states;
    const auto note = [&] {
        states.push_back({w.exists(), w.client_width(), w.client_height(), w.window_rect()});
    };
    const std::vector<std::function<void()>> calls = {
        [&] { w.move_size(5, 5, 300, 200); },  // before the window: nothing happens
        [&] { w.show(false); },
        [&] { w.create(host::w1252("Zimbalot é"), 660, 520); },
        [&] { w.set_title(host::w1252("Ação \"1\"")); },
        [&] { w.set_size_limits(100, 80, 700, 560); },
        [&] { w.move_size(40, 30, 500, 400); },
        [&] { w.show(false); },
        [&] {
            w.fill_rect(host::Rect{0, 0, 50, 50}, host::Rgb{1, 2, 3});
        },
        [&] { w.beep(); },
        [&] { w.create("Outra", 10, 10); },  // smaller than the frame: an empty client
        [&] { w.move_size(-20, -10, 330, 250); },
        [&] { w.destroy(); },
        [&] { w.destroy(); },
        [&] { w.set_title("depois"); },
    };
    for (const auto& call : calls) {
        call();
        note();
    }
    return states;
}

TEST(WindowTrace, DesktopAndSimulationTraceTheSameWindowCalls) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    const std::string trace = testsupport::make_temp_dir("window-trace") + "/desktop.txt";
    host::BackendOptions options;
    options.trace_path = trace;
    auto desktop = host::make_backend(options);
    ASSERT_TRUE(desktop);
    const auto desktop_states = drive(desktop->host().window);
    ASSERT_TRUE(desktop->finish_outputs());
    std::vector<std::string> desktop_lines;
    for (const std::string& line : untimed(read_lines(trace)))
        if (line.rfind("audio-none", 0) != 0) desktop_lines.push_back(line);

    testsupport::Headless simulation;
    const auto simulated_states = drive(simulation.host().window);
    const auto simulated_lines = simulation.backend->events();

    EXPECT_EQ(desktop_lines, simulated_lines);
    EXPECT_EQ(desktop_states, simulated_states);
    // The lines themselves, so that both cannot drift together unnoticed.
    const std::vector<std::string> expected = {
        "window-create 652 489",
        "title Zimbalot \xC3\xA9",
        "title A\xC3\xA7\xC3\xA3o \"1\"",
        "window-move 40 30 500 400",
        "show normal",
        "beep",
        "window-create 2 0",
        "title Outra",
        "window-move -20 -10 330 250",
        "window-destroy",
        "title depois",
    };
    EXPECT_EQ(simulated_lines, expected);
}

// The looping sound player: a new loop replaces the one playing, and a stop
// is traced only when it silences one.
TEST(WindowTrace, DesktopAndSimulationTraceTheSameLoopingSounds) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    std::vector<uint8_t> tone(host::riff::wav_header_bytes + 2000);
    host::riff::put_wav_header(tone.data(), host::PcmFormat{11025, 8, 1}, 2000);
    for (size_t i = host::riff::wav_header_bytes; i < tone.size(); ++i)
        tone[i] = i % 20 < 10 ? 100 : 156;
    const auto drive_sounds = [&](host::SoundPlayer& player) {
        player.stop();
        player.play_memory_looping(tone);
        player.play_memory_looping(tone);
        player.stop();
        player.stop();
    };
    const std::string trace = testsupport::make_temp_dir("sound-trace") + "/desktop.txt";
    host::BackendOptions options;
    options.trace_path = trace;
    auto desktop = host::make_backend(options);
    ASSERT_TRUE(desktop);
    if (!desktop->audio_available()) GTEST_SKIP() << "no audio device";
    drive_sounds(desktop->host().sound_player);
    ASSERT_TRUE(desktop->finish_outputs());

    testsupport::Headless simulation;
    drive_sounds(simulation.host().sound_player);
    const std::vector<std::string> expected = {"sound-async 2044", "sound-stop", "sound-async 2044",
                                               "sound-stop"};
    EXPECT_EQ(untimed(read_lines(trace)), expected);
    EXPECT_EQ(simulation.backend->events(), expected);
}

}  // namespace
