// The wave player on the headless host: what reaches the device, in which
// blocks and format, and how keys and device errors stop it.
#include "sound/wave_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/headless/headless_backend.h"
#include "sound/wav_reader.h"
#include "sound_support.h"

namespace {

using testsound::Player;
using testsound::ramp;
using testsound::wav;

std::string fixture(const std::string& name) {
    return testsupport::source_path("tests/fixtures/sound/" + name);
}

bool has(const std::vector<std::string>& events, const std::string& line) {
    return std::find(events.begin(), events.end(), line) != events.end();
}

// The data chunk of a fixture, as the files say (read independently of the
// player with a plain walk that honours the RIFF pad byte).
struct FixtureData {
    uint32_t rate = 0;
    uint16_t bits = 0, channels = 0;
    std::vector<uint8_t> data;
};
FixtureData read_fixture(const std::string& path) {
    const std::vector<uint8_t> f = testsupport::read_file(path);
    FixtureData out;
    auto u32 = [&](size_t p) {
        return uint32_t(f[p] | f[p + 1] << 8 | f[p + 2] << 16 | uint32_t(f[p + 3]) << 24);
    };
    for (size_t p = 12; p + 8 <= f.size();) {
        const std::string id(f.begin() + p, f.begin() + p + 4);
        const uint32_t n = u32(p + 4);
        if (id == "fmt ") {
            out.channels = uint16_t(f[p + 10] | f[p + 11] << 8);
            out.rate = u32(p + 12);
            out.bits = uint16_t(f[p + 22] | f[p + 23] << 8);
        } else if (id == "data") {
            out.data.assign(f.begin() + p + 8, f.begin() + p + 8 + n);
        }
        p += 8 + n + (n & 1);
    }
    return out;
}

class FixtureFile : public testing::TestWithParam<const char*> {};

TEST_P(FixtureFile, PlaysItsDataChunkInItsOwnFormat) {
    const FixtureData expected = read_fixture(fixture(GetParam()));
    ASSERT_FALSE(expected.data.empty());
    Player p;
    EXPECT_EQ(p.player.play_wav_file(fixture(GetParam())), 0);
    const auto events = p.events();
    EXPECT_TRUE(has(events, "wave-open " + std::to_string(expected.rate) + " " +
                                std::to_string(expected.bits) + " " +
                                std::to_string(expected.channels)));
    std::vector<uint8_t> played = expected.data;
    if (expected.bits == 8 && expected.channels == 1) played.back() = 128;
    // Nothing after the data chunk (a LIST chunk) is played.
    EXPECT_EQ(p.audio(), played);
    EXPECT_FALSE(p.player.device_open());
}

INSTANTIATE_TEST_SUITE_P(MadeBySoxEspeakAndLibsndfile, FixtureFile,
                         testing::Values("espeak_22050_16_mono.wav", "sox_11025_8_mono.wav",
                                         "sox_11025_16_mono.wav", "sox_16000_16_stereo.wav",
                                         "sox_22050_8_stereo.wav",
                                         "sndfile_11025_8_mono_bext_list.wav"));

TEST(PlayWavFile, QueuesLongDataInPiecesThatLeaveNoShortLastBlock) {
    struct Case {
        uint32_t length;
        std::vector<size_t> blocks;
    };
    for (const Case& c : {Case{100000, {65534, 34466}}, Case{70000, {65534, 4466}},
                          Case{65700, {65278, 422}}, Case{131100, {65534, 65278, 288}}}) {
        Player p;
        const std::vector<uint8_t> data = ramp(c.length);
        const std::string file = p.add("long.wav", wav(data));
        EXPECT_EQ(p.player.play_wav_file(file), 0);
        EXPECT_EQ(p.blocks(), c.blocks) << c.length;
        // Every piece but a full one ends in silence; the rest is the data.
        std::vector<uint8_t> expected = data;
        size_t end = 0;
        for (size_t b : c.blocks) {
            end += b;
            if (b != sound::block_bytes) expected[end - 1] = 128;
        }
        EXPECT_EQ(p.audio(), expected) << c.length;
    }
}

TEST(PlayPcm, AShort8BitMonoBlockIsPaddedTo256BytesOfSilence) {
    Player p;
    const std::vector<uint8_t> data(100, 200);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    while (p.player.wav_busy()) p.window.wait_message();
    ASSERT_EQ(p.blocks(), std::vector<size_t>{256});
    std::vector<uint8_t> expected(256, 128);
    std::fill(expected.begin(), expected.begin() + 99, 200);
    EXPECT_EQ(p.audio(), expected);
}

TEST(PlayPcm, ShortBlocksOfOtherFormatsArePaddedWithTheirSilence) {
    Player p;
    // A first block that fills the rotating buffers with non-silence, then a
    // short one in block 1's place after the sound ends.
    const std::vector<uint8_t> loud(4000, 0x55);
    p.player.play_pcm(loud.data(), loud.size(), 11025, 1, 16);
    while (p.player.wav_busy()) p.window.wait_message();
    const size_t before = p.audio().size();
    const std::vector<uint8_t> data(10, 0x11);
    for (int i = 0; i < 4; ++i) p.player.play_pcm(data.data(), data.size(), 11025, 1, 16);
    while (p.player.wav_busy()) p.window.wait_message();
    const std::vector<uint8_t> tail(p.audio().begin() + before, p.audio().end());
    ASSERT_EQ(tail.size(), 4u * 256);
    for (size_t i = 0; i < tail.size(); ++i) ASSERT_EQ(tail[i], i % 256 < 10 ? 0x11 : 0) << i;
}

TEST(PlayWavFile, AKeyStopsPlaybackAtOnceAndStaysQueued) {
    struct Case {
        const char* what;
        size_t length;
        size_t blocks_written;
    };
    // A sound shorter than the queue (the wait for its end sees the key) and a
    // longer one (the wait for a free block sees it).
    for (const Case& c : {Case{"two seconds", 22050, 1}, Case{"thirty seconds", 330000, 4}}) {
        SCOPED_TRACE(c.what);
        Player p("wait 300 a");
        const std::string file = p.add("long.wav", wav(ramp(c.length)));
        EXPECT_EQ(p.player.play_wav_file(file), 0);
        EXPECT_EQ(p.backend().now_ms(), 300u);
        EXPECT_EQ(p.blocks().size(), c.blocks_written);
        const auto& lines = p.backend().trace_lines();
        EXPECT_TRUE(std::find(lines.begin(), lines.end(), "300 wave-stop") != lines.end());
        EXPECT_FALSE(p.player.device_open());
        EXPECT_EQ(p.player.queued_blocks(), 0);
        ASSERT_TRUE(p.window.key_pressed());
        EXPECT_EQ(p.window.read_key(), 'a');
    }
}

TEST(PlayWavFile, AKeyAlreadyWaitingPlaysNothing) {
    Player p("a");
    p.window.delay_ms(1);  // the key arrives
    const std::string file = p.add("s.wav", wav(ramp(5000)));
    EXPECT_EQ(p.player.play_wav_file(file), 0);
    EXPECT_EQ(p.device.open_calls, 0);
    EXPECT_EQ(p.window.read_key(), 'a');
}

TEST(PlayWavFile, WithStopOnKeyOffAKeyDoesNotCutTheSound) {
    Player p("wait 300 a");
    p.player.stop_on_key = false;
    const std::string file = p.add("s.wav", wav(ramp(22050)));
    EXPECT_EQ(p.player.play_wav_file(file), 0);
    EXPECT_EQ(p.backend().now_ms(), 2000u);
    EXPECT_EQ(p.audio().size(), 22050u);
    EXPECT_TRUE(p.window.key_pressed());
}

TEST(PlayWavFile, DoNotWaitReturnsWhileTheSoundPlays) {
    Player p;
    p.player.do_not_wait = true;
    EXPECT_EQ(p.player.play_wav_file(p.add("s.wav", wav(ramp(11025)))), 0);
    EXPECT_EQ(p.backend().now_ms(), 0u);
    EXPECT_TRUE(p.player.wav_busy());
    while (p.player.wav_busy()) p.window.wait_message();
    EXPECT_EQ(p.backend().now_ms(), 1000u);
    EXPECT_FALSE(p.player.device_open());
}

TEST(PlayWavFile, ResultsForFilesThatCannotPlay) {
    using testsound::Chunk;
    using testsound::fmt_body;
    using testsound::riff;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
        size_t played;
    };
    const std::vector<Case> cases = {
        {"no data chunk", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"LIST", {1, 2}}}), -1, 0},
        {"not RIFF", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", ramp(500)}}, "RIFX"), -1, 0},
        {"a chunk too large to skip",
         riff({{"fmt ", fmt_body(11025, 8, 1)},
               {"LIST", std::vector<uint8_t>(65535, 1)},
               {"data", ramp(500)}}),
         -1, 0},
        {"a data chunk of length 0", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", {}}}), 0, 0},
        {"no data bytes at all", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", {}, 1000}}), -1,
         0},
        {"data shorter than its chunk says",
         riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", ramp(500), 90000}}), 0, 500},
        {"a format the device refuses",
         riff({{"fmt ", fmt_body(11025, 12, 1)}, {"data", ramp(500)}}), host::waverr_badformat, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Player p;
        EXPECT_EQ(p.player.play_wav_file(p.add("x.wav", c.bytes)), c.result);
        EXPECT_EQ(p.audio().size(), c.played);
    }
    Player p;
    EXPECT_EQ(p.player.play_wav_file(p.dir + "/missing.wav"), -1);
}

TEST(PlayPcm, PlayFasterRaisesTheRateByHalfDroppingTheFraction) {
    for (auto [rate, faster] : {std::pair{11025u, 16537u}, std::pair{22050u, 33075u},
                                std::pair{16000u, 24000u}, std::pair{8001u, 12001u}}) {
        Player p;
        p.player.play_faster = true;
        const std::vector<uint8_t> data = ramp(1000);
        EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), rate, 1, 8), 0);
        EXPECT_TRUE(has(p.events(), "wave-open " + std::to_string(faster) + " 8 1")) << rate;
    }
}

TEST(PlayWavBuffer, PlaysTheImagesDataAndReturnsOnceQueued) {
    Player p;
    const std::vector<uint8_t> image = wav(ramp(11025), 11025, 8, 1);
    p.player.play_wav_buffer(image.data(), image.size());
    EXPECT_EQ(p.backend().now_ms(), 0u);
    EXPECT_TRUE(p.player.wav_busy());
    while (p.player.wav_busy()) p.window.wait_message();
    EXPECT_EQ(p.audio().size(), 11025u);

    // An image without the identifiers plays nothing.
    std::vector<uint8_t> bad = image;
    bad[12] = 'X';
    Player q;
    q.player.play_wav_buffer(bad.data(), bad.size());
    EXPECT_EQ(q.device.open_calls, 0);
    EXPECT_FALSE(q.player.wav_busy());
}

TEST(WaveDevice, AnotherFormatWaitsForTheSoundToEndAndReopens) {
    Player p;
    const std::vector<uint8_t> first = wav(ramp(11025), 11025, 8, 1);  // one second
    const std::vector<uint8_t> second = wav(std::vector<uint8_t>(3200, 0), 16000, 16, 1);
    p.player.play_wav_buffer(first.data(), first.size());
    p.player.play_wav_buffer(second.data(), second.size());
    const auto& lines = p.backend().trace_lines();
    std::vector<std::string> device_lines;
    for (const std::string& l : lines)
        if (l.find(" wave-open") != std::string::npos || l.find(" wave-close") != std::string::npos)
            device_lines.push_back(l);
    EXPECT_EQ(device_lines, (std::vector<std::string>{"0 wave-open 11025 8 1", "1000 wave-close",
                                                      "1000 wave-open 16000 16 1"}));
}

TEST(WaveDevice, AllocatedDeviceIsRetriedEvery100Ms) {
    Player p;
    p.device.allocated_answers = 3;
    const std::vector<uint8_t> data = ramp(1000);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    EXPECT_EQ(p.device.open_calls, 4);
    EXPECT_EQ(p.backend().now_ms(), 300u);
    EXPECT_TRUE(p.player.device_open());

    Player q;
    q.device.allocated_answers = -1;
    EXPECT_EQ(q.player.play_wav_file(q.add("s.wav", wav(data))), host::mmsyserr_allocated);
    EXPECT_EQ(q.device.open_calls, sound::open_attempts);
    EXPECT_EQ(q.backend().now_ms(), 100u * (sound::open_attempts - 1));
    EXPECT_TRUE(q.audio().empty());
}

TEST(WaveDevice, ARefusedBlockIsReportedAndNotLeftCounted) {
    Player p;
    p.device.write_error = host::mmsyserr_nomem;
    const std::vector<uint8_t> data = ramp(1000);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), host::mmsyserr_nomem);
    EXPECT_EQ(p.player.queued_blocks(), 0);
    p.device.write_error = 0;
    // The queue is not left full: five more sounds still play.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    while (p.player.wav_busy()) p.window.wait_message();
    EXPECT_EQ(p.audio().size(), 5000u);
}

TEST(FinishedBlocks, AStaleNoticeReleasesNothing) {
    Player p;
    const std::vector<uint8_t> data = ramp(11025);
    p.player.play_pcm(data.data(), data.size(), 11025, 1, 8);
    ASSERT_EQ(p.player.queued_blocks(), 1);
    host::Message notice;
    notice.kind = host::MessageKind::wave_done;
    notice.block_id = 3;  // not in flight
    p.host.messages.post_message(notice);
    p.window.pump_messages();
    EXPECT_EQ(p.player.queued_blocks(), 1);
    while (p.player.wav_busy()) p.window.wait_message();
    EXPECT_EQ(p.backend().now_ms(), 1000u);
}

TEST(FinishedBlocks, ANoticeForNoBlockShowsTheMessageAndWaitsForALine) {
    Player p("ENTER");
    const std::vector<uint8_t> data = ramp(2000);
    p.player.play_pcm(data.data(), data.size(), 11025, 1, 8);
    host::Message notice;
    notice.kind = host::MessageKind::wave_done;
    notice.block_id = 9;
    p.host.messages.post_message(notice);
    p.window.pump_messages();
    const std::string message = "Specified device handle is invalid.";
    std::string row0;
    for (size_t c = 0; c < message.size(); ++c)
        row0.push_back(static_cast<char>(p.window.cell_character(static_cast<int>(c), 0)));
    EXPECT_EQ(row0, message);
    EXPECT_EQ(p.player.queued_blocks(), 1);
}

TEST(FinishedBlocks, MessagesForTheReleaseErrors) {
    EXPECT_STREQ(sound::wave_error_message(5), "Specified device handle is invalid.");
    EXPECT_STREQ(sound::wave_error_message(6), "No device driver is present.");
    EXPECT_STREQ(sound::wave_error_message(7), "Unable to allocate or lock memory.");
    EXPECT_STREQ(sound::wave_error_message(33),
                 "The data block pointed to by the pwh parameter is still in queue");
    for (int other : {0, 1, 4, 11, 32}) EXPECT_EQ(sound::wave_error_message(other), nullptr);
}

TEST(WavStop, StopsAndClosesAtOnce) {
    Player p;
    const std::vector<uint8_t> data = ramp(300000);
    p.player.do_not_wait = true;
    p.player.play_wav_file(p.add("s.wav", wav(data)));
    ASSERT_EQ(p.player.queued_blocks(), 4);
    p.player.wav_stop();
    EXPECT_EQ(p.player.queued_blocks(), 0);
    EXPECT_FALSE(p.player.device_open());
    EXPECT_FALSE(p.player.wav_busy());
    const auto events = p.events();
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()),
              (std::vector<std::string>{"wave-stop", "wave-close"}));
}

}  // namespace
