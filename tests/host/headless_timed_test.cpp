// The headless backend's `at N STEP` steps and its outputs: streamed to their
// files, resolved from the starting folder, failures ending the run with 4.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/common/run_outputs.h"
#include "host/headless/headless_backend.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> keys_in_queue(host::Host& h) {
    std::vector<std::string> out;
    host::Message m;
    while (h.messages.peek_message(m))
        if (m.kind == host::MessageKind::character)
            out.push_back(std::string(1, char(m.character)));
    return out;
}

// A 1 s 8-bit mono file at 8000 Hz.
std::string one_second_wav(const std::string& dir) {
    std::vector<uint8_t> wav = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                                'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                                1,   0,   0x40, 0x1F, 0,   0,   0x40, 0x1F, 0,    0,   1,
                                0,   8,   0,    'd',  'a', 't', 'a',  0x40, 0x1F, 0,   0};
    wav.resize(44 + 8000, 128);
    testsupport::write_file(dir + "/som.wav", wav);
    return dir + "/som.wav";
}

TEST(HeadlessTimedSteps, ArriveAtTheirTimeWhateverTheProgramDoes) {
    const std::string sound = one_second_wav(testsupport::make_temp_dir("timed"));
    // Steps out of order are delivered by time; the plain steps keep theirs.
    testsupport::Headless h("at 1500 b at 400 a X");
    host::Host& host = h.host();
    // During a synchronous sound nothing is pumped, yet "a" is pressed then.
    host.sound_player.play_file_sync(sound);
    EXPECT_EQ(host.clock.now_ms(), 1000u);
    EXPECT_EQ(keys_in_queue(host), (std::vector<std::string>{"a"}));
    // A sleep sees the next one fall due inside it, and one plain step.
    host.clock.sleep_ms(1000);
    EXPECT_EQ(host.clock.now_ms(), 2000u);
    EXPECT_EQ(keys_in_queue(host), (std::vector<std::string>{"x", "b"}));
    // With only timed steps left, waiting jumps to them; then the script ends.
    testsupport::Headless w("at 5000 c");
    w.host().messages.wait_message();
    EXPECT_EQ(w.host().clock.now_ms(), 5000u);
    EXPECT_EQ(keys_in_queue(w.host()), (std::vector<std::string>{"c"}));
    EXPECT_THROW(w.host().messages.wait_message(), host::headless::ProcessExit);
}

TEST(HeadlessTimedSteps, MalformedTimedStepsAreRefused) {
    std::string error;
    for (const char* bad : {"at", "at 10", "at x A", "at -5 A", "at 10 wait 5", "at 1 at 2 A"})
        EXPECT_FALSE(host::headless::check_script(bad, &error)) << bad;
    EXPECT_NE(error.find("at"), std::string::npos);
    EXPECT_TRUE(
        host::headless::check_script("at 0 ESC at 10 ctrl+C at 20 type \"ok\" at 30 close", &error))
        << error;
}

TEST(HeadlessOutputs, StreamToFilesFromTheStartingFolderAndKeepNothing) {
    const std::string dir = testsupport::make_temp_dir("outputs");
    host::headless::HeadlessOptions options;
    options.start_folder = dir;
    options.trace_path = "registro.txt";
    options.capture_path = "som.wav";
    options.screenshot_path = "tela.png";
    options.keep_in_memory = false;
    options.exit_throws = true;
    options.script = "shot quadro.png";
    {
        host::headless::HeadlessBackend backend(options);
        ASSERT_TRUE(backend.outputs_ready());
        host::Host& host = backend.host();
        host.window.create("t", 100, 100);
        ASSERT_EQ(host.wave_out.open({11025, 8, 1}), 0);
        const std::vector<uint8_t> block(5000, 90);
        host.wave_out.write(1, block.data(), block.size());
        host.messages.wait_message();
        EXPECT_TRUE(backend.trace_lines().empty());
        EXPECT_TRUE(backend.captured_audio().empty());
        // Nothing is in place before the run ends.
        EXPECT_FALSE(fs::exists(dir + "/som.wav"));
        try {
            host.process.exit_process(0);
        } catch (const host::headless::ProcessExit& e) {
            EXPECT_EQ(e.code, 0);
        }
    }
    EXPECT_EQ(fs::file_size(dir + "/som.wav"), 44u + 5000u);
    EXPECT_TRUE(fs::exists(dir + "/tela.png"));
    EXPECT_TRUE(fs::exists(dir + "/quadro.png"));
    const auto trace = testsupport::read_file(dir + "/registro.txt");
    const std::string text(trace.begin(), trace.end());
    EXPECT_NE(text.find("wave-block 5000\n"), std::string::npos);
    EXPECT_NE(text.find("shot " + dir + "/quadro.png\n"), std::string::npos);
    EXPECT_NE(text.find("exit 0\n"), std::string::npos);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 4u);  // no temporary file left
}

TEST(HeadlessOutputs, AnOutputThatCannotBeWrittenStopsTheRunOrEndsItWithFour) {
    const std::string dir = testsupport::make_temp_dir("outputs");
    struct Case {
        const char* what;
        std::string trace, capture, screenshot, script;
    };
    const Case refused[] = {
        {"trace in a missing folder", dir + "/nada/t.txt", "", "", ""},
        {"capture onto a folder", "", dir, "", ""},
        {"screenshot in a missing folder", "", "", dir + "/nada/s.png", ""},
        {"shot in a missing folder", "", "", "", "shot " + dir + "/nada/s.png"},
    };
    for (const auto& c : refused) {
        host::headless::HeadlessOptions options;
        options.trace_to_stdout = false;
        options.trace_path = c.trace;
        options.capture_path = c.capture.empty() ? "" : c.capture;
        options.screenshot_path = c.screenshot;
        options.script = c.script;
        options.capture_path = c.capture.empty() ? dir + "/c.wav" : c.capture;
        host::headless::HeadlessBackend backend(options);
        EXPECT_FALSE(backend.outputs_ready()) << c.what;
        backend.discard_outputs();
        EXPECT_FALSE(fs::exists(dir + "/c.wav")) << c.what;  // nothing begun stays
    }
    // A capture that fails at the end changes the exit code and its line.
    if (!fs::exists("/dev/full")) return;
    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    options.capture_path = "/dev/full";
    options.exit_throws = true;
    host::headless::HeadlessBackend backend(options);
    ASSERT_TRUE(backend.outputs_ready());
    host::Host& host = backend.host();
    ASSERT_EQ(host.wave_out.open({11025, 8, 1}), 0);
    const std::vector<uint8_t> block(20000, 90);
    host.wave_out.write(1, block.data(), block.size());
    try {
        host.process.exit_process(0);
        FAIL() << "the run went on";
    } catch (const host::headless::ProcessExit& e) {
        EXPECT_EQ(e.code, host::common::exit_output_failed);
    }
    EXPECT_EQ(backend.events().back(), "exit 4");
}

}  // namespace
