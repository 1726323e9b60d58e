#include <gtest/gtest.h>

#include <vector>

#include "host/headless/headless_backend.h"
#include "host/messages.h"
#include "support.h"

namespace {

using host::Message;
using host::MessageKind;

std::vector<Message> drain(host::Host& h) {
    std::vector<Message> out;
    Message m;
    while (h.messages.peek_message(m)) out.push_back(m);
    return out;
}

// One message as a short text, so expectations read like the script.
std::string describe(const Message& m) {
    std::string mods = std::string(m.modifiers.ctrl ? "c" : "") + (m.modifiers.alt ? "a" : "") +
                       (m.modifiers.shift ? "s" : "") + (m.system_key ? "!" : "");
    switch (m.kind) {
        case MessageKind::key_down: return "down " + std::to_string(m.virtual_key) + mods;
        case MessageKind::key_up: return "up " + std::to_string(m.virtual_key) + mods;
        case MessageKind::character: return "char " + std::to_string(m.character) + mods;
        case MessageKind::close: return "close";
        case MessageKind::quit: return "quit";
        case MessageKind::right_down: return "rdown " + std::to_string(m.x) + "," + std::to_string(m.y);
        case MessageKind::right_up: return "rup " + std::to_string(m.x) + "," + std::to_string(m.y);
        case MessageKind::mouse_move: return "move " + std::to_string(m.x) + "," + std::to_string(m.y);
        case MessageKind::wave_done: return "done " + std::to_string(m.block_id);
        default: return "other";
    }
}

std::vector<std::string> step(testsupport::Headless& h) {
    h.host().messages.wait_message();
    std::vector<std::string> out;
    for (const auto& m : drain(h.host())) out.push_back(describe(m));
    return out;
}

TEST(HeadlessScript, KeysArriveAsWindowsMessagesWithTheirModifiers) {
    testsupport::Headless h(
        "a shift+B ESC ENTER F10 UP ctrl+UP shift+INSERT ctrl+alt+A alt+LEFT alt+F4 ctrl+c "
        "ctrl+BACKSPACE ctrl+ENTER ctrl+BREAK 7 * type \"x\xC3\xA7\" down F up F close quit");
    using V = std::vector<std::string>;
    EXPECT_EQ(step(h), (V{"down 65", "char 97", "up 65"}));
    EXPECT_EQ(step(h), (V{"down 66s", "char 66s", "up 66s"}));
    EXPECT_EQ(step(h), (V{"down 27", "char 27", "up 27"}));
    EXPECT_EQ(step(h), (V{"down 13", "char 13", "up 13"}));
    EXPECT_EQ(step(h), (V{"down 121!", "up 121!"}));
    EXPECT_EQ(step(h), (V{"down 38", "up 38"}));
    EXPECT_EQ(step(h), (V{"down 38c", "up 38c"}));
    EXPECT_EQ(step(h), (V{"down 45s", "up 45s"}));
    EXPECT_EQ(step(h), (V{"down 65ca", "up 65ca"}));
    EXPECT_EQ(step(h), (V{"down 37a!", "up 37a!"}));
    EXPECT_EQ(step(h), (V{"down 115a!", "up 115a!"}));
    EXPECT_EQ(step(h), (V{"down 67c", "char 3c", "up 67c"}));
    EXPECT_EQ(step(h), (V{"down 8c", "char 8c", "up 8c"}));
    EXPECT_EQ(step(h), (V{"down 13c", "char 13c", "up 13c"}));
    EXPECT_EQ(step(h), (V{"down 3c", "up 3c"}));
    EXPECT_EQ(step(h), (V{"down 55", "char 55", "up 55"}));
    EXPECT_EQ(step(h), (V{"down 106", "char 42", "up 106"}));
    EXPECT_EQ(step(h), (V{"down 88", "char 120", "up 88", "down 0", "char 231", "up 0"}));
    EXPECT_EQ(step(h), (V{"down 70", "char 102"}));
    EXPECT_EQ(step(h), (V{"up 70"}));
    EXPECT_EQ(step(h), (V{"close"}));
    EXPECT_EQ(step(h), (V{"quit"}));
    EXPECT_THROW(h.host().messages.wait_message(), host::headless::ProcessExit);
    EXPECT_EQ(h.backend->events().back(), "exit 3");
    EXPECT_EQ(h.backend->events().end()[-2], "script-end");
}

TEST(HeadlessScript, MalformedStepsAreRefusedWithTheirName) {
    std::string error;
    EXPECT_FALSE(host::headless::check_script("A wait", &error));
    EXPECT_FALSE(host::headless::check_script("F13", &error));
    EXPECT_NE(error.find("F13"), std::string::npos);
    EXPECT_FALSE(host::headless::check_script("type \"open", &error));
    EXPECT_FALSE(host::headless::check_script("rdown 3", &error));
    EXPECT_TRUE(host::headless::check_script("# only a comment\n wait 10 rdown 1 2 move 3 4 rup", &error));
}

TEST(HeadlessClock, WaitsAndSleepsDeliverStepsInVirtualTimeOrder) {
    testsupport::Headless h("wait 8000 A B wait 100 C");
    host::Host& host = h.host();
    // Sleeping 500 ms at a time: A falls due during the sleep that ends at 8000.
    int sleeps = 0;
    while (drain(host).empty()) {
        host.clock.sleep_ms(500);
        ++sleeps;
        if (sleeps > 100) break;
    }
    EXPECT_EQ(host.clock.now_ms(), 8000u);
    // B is due at once but is a separate press: the next blocking point.
    host.messages.wait_message();
    EXPECT_EQ(host.clock.now_ms(), 8000u);
    EXPECT_EQ(drain(host).size(), 3u);
    host.messages.wait_message();
    EXPECT_EQ(host.clock.now_ms(), 8100u);
}

TEST(HeadlessClock, IdleSleepingAfterTheScriptEndsTheRun) {
    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    options.exit_throws = true;
    options.idle_limit_ms = 1000;
    host::headless::HeadlessBackend backend(options);
    auto& clock = backend.host().clock;
    clock.sleep_ms(600);
    EXPECT_THROW(clock.sleep_ms(600), host::headless::ProcessExit);
    EXPECT_EQ(backend.events().end()[-2], "script-end");
}

TEST(HeadlessAudio, BlocksAreReportedDoneAfterTheirDurationAndCapturedExactly) {
    testsupport::Headless h;
    host::Host& host = h.host();
    ASSERT_EQ(host.wave_out.open({11025, 8, 1}), 0);
    std::vector<uint8_t> first(11025, 100), second(5513);
    for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(host.wave_out.write(1, first.data(), first.size()), 0);
    ASSERT_EQ(host.wave_out.write(2, second.data(), second.size()), 0);
    EXPECT_EQ(step(h), (std::vector<std::string>{"done 1"}));
    EXPECT_EQ(host.clock.now_ms(), 1000u);
    EXPECT_EQ(step(h), (std::vector<std::string>{"done 2"}));
    EXPECT_EQ(host.clock.now_ms(), 1501u);
    std::vector<uint8_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(h.backend->captured_audio(), expected);
    // A reset reports every queued block at once.
    ASSERT_EQ(host.wave_out.write(3, first.data(), first.size()), 0);
    host.wave_out.reset();
    EXPECT_EQ(step(h), (std::vector<std::string>{"done 3"}));
    EXPECT_EQ(host.clock.now_ms(), 1501u);
    const auto events = h.backend->events();
    EXPECT_EQ(events[0], "wave-open 11025 8 1");
    EXPECT_EQ(events[1], "wave-block 11025");
}

// An engine's busy test posts itself a wake-up before every wait; the poll
// must still see its audio finish instead of spinning at one instant.
TEST(HeadlessAudio, APollThatPostsWakeUpsLetsVirtualTimeReachTheAudio) {
    testsupport::Headless h;
    host::Host& host = h.host();
    ASSERT_EQ(host.wave_out.open({16000, 16, 1}), 0);
    std::vector<uint8_t> block(32000);
    ASSERT_EQ(host.wave_out.write(7, block.data(), block.size()), 0);
    host::Message wake;
    wake.kind = MessageKind::user;
    wake.user_id = host::wake_engine;
    bool done = false;
    for (int polls = 0; !done && polls < 5000; ++polls) {
        host.messages.post_message(wake);
        host.messages.wait_message();
        for (const auto& m : drain(host)) done = done || m.kind == MessageKind::wave_done;
    }
    EXPECT_TRUE(done);
    EXPECT_EQ(host.clock.now_ms(), 1000u);
}

TEST(HeadlessSound, SynchronousSoundsTakeTheirDurationInVirtualTime) {
    testsupport::Headless h;
    const std::string dir = testsupport::make_temp_dir("snd");
    // A 0.25 s 8-bit mono file at 8000 Hz.
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0,
                                8, 0, 'd', 'a', 't', 'a', 0xD0, 0x07, 0, 0};
    wav.resize(44 + 2000, 128);
    testsupport::write_file(dir + "/PLIN.WAV", wav);
    EXPECT_TRUE(h.host().sound_player.play_file_sync(dir + "/plin.wav"));
    EXPECT_EQ(h.host().clock.now_ms(), 250u);
    EXPECT_FALSE(h.host().sound_player.play_file_sync(dir + "/nada.wav"));
    EXPECT_EQ(h.backend->events().back(), "sound " + dir + "/nada.wav");
}

}  // namespace
