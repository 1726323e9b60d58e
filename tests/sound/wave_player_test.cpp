// The wave player on the headless host: what reaches the device, in which
// blocks and format, and how keys and device errors end it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sound_support.h"

namespace {

using namespace testsound;

bool has(const std::vector<std::string>& events, const std::string& line) {
    return std::find(events.begin(), events.end(), line) != events.end();
}

class FixtureFile : public testing::TestWithParam<const char*> {};

// Played exactly: the data chunk, nothing of the chunks around it.
TEST_P(FixtureFile, PlaysItsDataChunkInItsFormat) {
    const std::string path = testsupport::source_path("tests/fixtures/sound/") + GetParam();
    const std::vector<uint8_t> f = testsupport::read_file(path);
    auto u32 = [&](size_t p) {
        return uint32_t(f[p] | f[p + 1] << 8 | f[p + 2] << 16 | f[p + 3] << 24);
    };
    std::string format;
    std::vector<uint8_t> data;
    for (size_t p = 12; p + 8 <= f.size(); p += 8 + u32(p + 4) + (u32(p + 4) & 1)) {
        if (std::equal(f.begin() + p, f.begin() + p + 4, "fmt "))
            format = std::to_string(u32(p + 12)) + " " + std::to_string(f[p + 22]) + " " +
                     std::to_string(f[p + 10]);
        if (std::equal(f.begin() + p, f.begin() + p + 4, "data"))
            data.assign(f.begin() + p + 8, f.begin() + p + 8 + u32(p + 4));
    }
    if (format.ends_with(" 8 1")) data.back() = 128;  // a last 8-bit mono sample is silenced
    Player p;
    EXPECT_EQ(p.player.play_wav_file(path), 0);
    EXPECT_TRUE(has(p.events(), "wave-open " + format));
    EXPECT_EQ(p.audio(), data);
    EXPECT_FALSE(p.player.device_open());
}

INSTANTIATE_TEST_SUITE_P(SoxEspeakLibsndfile, FixtureFile,
                         testing::Values("espeak_22050_16_mono.wav", "sox_11025_8_mono.wav",
                                         "sox_11025_16_mono.wav", "sox_16000_16_stereo.wav",
                                         "sox_22050_8_stereo.wav",
                                         "sndfile_11025_8_mono_bext_list.wav"));

TEST(PlayWavFile, LongDataGoesInPiecesEachEndingInSilence) {
    Player p;
    const std::vector<uint8_t> data = ramp(131100);
    EXPECT_EQ(p.player.play_wav_file(p.add(wav(data))), 0);
    EXPECT_EQ(p.blocks(), (std::vector<size_t>{65534, 65278, 288}));
    std::vector<uint8_t> expected = data;
    expected[65534 + 65278 - 1] = expected.back() = 128;
    EXPECT_EQ(p.audio(), expected);
}

TEST(PlayPcm, ShortBlocksArePaddedTo256BytesOfSilence) {
    Player p;
    const std::vector<uint8_t> data(100, 200);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    p.wait();
    std::vector<uint8_t> expected(256, 128);
    std::fill_n(expected.begin(), 99, 200);  // the 100th is silenced too
    EXPECT_EQ(p.audio(), expected);

    // Other formats get their own silence, not what the block held before.
    Player q;
    const std::vector<uint8_t> loud(4000, 0x55), quiet(10, 0x11);
    q.player.play_pcm(loud.data(), loud.size(), 11025, 1, 16);
    for (int i = 0; i < 4; ++i) q.player.play_pcm(quiet.data(), quiet.size(), 11025, 1, 16);
    q.wait();
    ASSERT_EQ(q.audio().size(), 4000u + 4 * 256);
    for (size_t i = 4000; i < q.audio().size(); ++i)
        ASSERT_EQ(q.audio()[i], (i - 4000) % 256 < 10 ? 0x11 : 0) << i;
}

TEST(PlayWavFile, AKeyStopsPlaybackAtOnceAndStaysQueued) {
    // Shorter than the queue (the wait for the end sees the key), and longer
    // (the wait for a free block sees it).
    for (auto [length, blocks] : {std::pair{22050, 1}, std::pair{330000, 4}}) {
        Player p("wait 300 a");
        EXPECT_EQ(p.player.play_wav_file(p.add(wav(ramp(length)))), 0);
        const auto& lines = p.headless.backend->trace_lines();
        EXPECT_TRUE(std::find(lines.begin(), lines.end(), "300 wave-stop") != lines.end());
        EXPECT_EQ(p.now(), 300u);
        EXPECT_EQ(p.blocks().size(), size_t(blocks));
        EXPECT_EQ(p.player.queued_blocks(), 0);
        EXPECT_EQ(p.window.read_key(), 'a');
    }
    Player waiting("a");
    waiting.window.delay_ms(1);  // the key is already queued: nothing plays
    EXPECT_EQ(waiting.player.play_wav_file(waiting.add(wav(ramp(5000)))), 0);
    EXPECT_EQ(waiting.device.open_calls, 0);
    EXPECT_TRUE(waiting.window.key_pressed());
}

TEST(PlayWavFile, Results) {
    const std::vector<uint8_t> f8 = fmt(11025, 8, 1);
    const struct {
        std::vector<uint8_t> bytes;
        int result;
        size_t played;
    } cases[] = {
        {riff({{"fmt ", f8}, {"LIST", {1, 2}}}), -1, 0},  // no data chunk
        {riff({{"fmt ", f8}, {"data", ramp(500)}}, "RIFX"), -1, 0},
        {riff({{"fmt ", f8}, {"data", {}}}), 0, 0},
        {riff({{"fmt ", f8}, {"data", {}, 1000}}), -1, 0},  // none of its data
        {riff({{"fmt ", f8}, {"data", ramp(500), 90000}}), 0, 500},
        {riff({{"fmt ", fmt(11025, 12, 1)}, {"data", ramp(500)}}), host::waverr_badformat, 0},
    };
    for (const auto& c : cases) {
        Player p;
        EXPECT_EQ(p.player.play_wav_file(p.add(c.bytes)), c.result) << &c - cases;
        EXPECT_EQ(p.audio().size(), c.played) << &c - cases;
    }
    Player p;
    EXPECT_EQ(p.player.play_wav_file(p.dir + "/missing.wav"), -1);
    p.player.do_not_wait = true;
    EXPECT_EQ(p.player.play_wav_file(p.add(wav(ramp(11025)))), 0);
    EXPECT_EQ(p.now(), 0u);
    EXPECT_TRUE(p.player.wav_busy());
}

TEST(PlayPcm, PlayFasterRaisesTheRateByHalfDroppingTheFraction) {
    for (auto [rate, faster] : {std::pair{11025, 16537}, std::pair{16000, 24000}}) {
        Player p;
        p.player.play_faster = true;
        const std::vector<uint8_t> data = ramp(1000);
        p.player.play_pcm(data.data(), data.size(), rate, 1, 8);
        EXPECT_TRUE(has(p.events(), "wave-open " + std::to_string(faster) + " 8 1"));
    }
}

TEST(WaveDevice, AnotherFormatWaitsForTheEndAndReopens) {
    Player p;
    const std::vector<uint8_t> first = wav(ramp(11025)), second = wav(ramp(3200), 16000, 16);
    p.player.play_wav_buffer(first.data(), first.size());
    EXPECT_EQ(p.now(), 0u);  // returns once queued
    p.player.play_wav_buffer(second.data(), second.size());
    std::vector<std::string> device;
    for (const std::string& l : p.headless.backend->trace_lines())
        if (l.find(" wave-open") != l.npos || l.find(" wave-close") != l.npos) device.push_back(l);
    EXPECT_EQ(device, (std::vector<std::string>{"0 wave-open 11025 8 1", "1000 wave-close",
                                                "1000 wave-open 16000 16 1"}));
}

TEST(WaveDevice, AnAllocatedDeviceIsRetriedEvery100Ms) {
    Player p;
    p.device.allocated_answers = 3;
    const std::vector<uint8_t> data = ramp(1000);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    EXPECT_EQ(p.device.open_calls, 4);
    EXPECT_EQ(p.now(), 300u);

    Player q;
    q.device.allocated_answers = -1;
    EXPECT_EQ(q.player.play_wav_file(q.add(wav(data))), host::mmsyserr_allocated);
    EXPECT_EQ(q.device.open_calls, sound::open_attempts);
    EXPECT_TRUE(q.audio().empty());
}

TEST(WaveDevice, ARefusedBlockIsReportedAndNotLeftCounted) {
    Player p;
    p.device.write_error = host::mmsyserr_nomem;
    const std::vector<uint8_t> data = ramp(1000);
    EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), host::mmsyserr_nomem);
    EXPECT_EQ(p.player.queued_blocks(), 0);
    p.device.write_error = 0;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 8), 0);
    p.wait();
    EXPECT_EQ(p.audio().size(), 5000u);
}

TEST(FinishedBlocks, NoticesForBlocksNotInFlight) {
    Player p("ENTER");
    const std::vector<uint8_t> data = ramp(11025);
    p.player.play_pcm(data.data(), data.size(), 11025, 1, 8);
    host::Message notice;
    notice.kind = host::MessageKind::wave_done;
    notice.block_id = 3;  // a stale notice releases nothing
    p.host.messages.post_message(notice);
    notice.block_id = 9;  // no such block: the message, and a wait for a line
    p.host.messages.post_message(notice);
    p.window.pump_messages();
    EXPECT_EQ(p.player.queued_blocks(), 1);
    const std::string message = sound::wave_error_message(host::mmsyserr_invalhandle);
    std::string row0;
    for (size_t c = 0; c < message.size(); ++c) row0 += char(p.window.cell_character(int(c), 0));
    EXPECT_EQ(row0, "Specified device handle is invalid.");
    p.wait();
    EXPECT_EQ(p.now(), 1000u);
}

// A 16-bit signal with one clear peak per period.
std::vector<uint8_t> periodic16(size_t samples, double period) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < samples; ++i) {
        const double t = 2 * std::numbers::pi * double(i) / period;
        put16(out, uint16_t(int16_t(12000 * std::sin(t) + 5000 * std::sin(2 * t + 0.6))));
    }
    return out;
}

// Mean distance between upward crossings of the middle of 8-bit samples.
double period_of(const std::vector<uint8_t>& s) {
    std::vector<size_t> ups;
    bool low = false;
    for (size_t i = s.size() / 10; i < s.size() - s.size() / 10; ++i) {
        if (s[i] < 118) low = true;
        if (low && s[i] >= 128) ups.push_back(i), low = false;
    }
    return ups.size() < 2 ? 0 : double(ups.back() - ups.front()) / double(ups.size() - 1);
}

TEST(ShortenPiece, HalvesTheLengthAndKeepsThePitch) {
    // Periods within each rate's search range (80..130 and 320..520 samples).
    for (auto [rate, period] : {std::pair{11025u, 100.0}, std::pair{16000u, 400.0}}) {
        std::vector<uint8_t> piece = periodic16(sound::block_bytes / 2, period);
        piece.resize(sound::shorten_piece(piece.data(), piece.size(), 16, rate));
        EXPECT_NEAR(double(piece.size()) / (sound::block_bytes / 2), 0.5, 0.05) << rate;
        EXPECT_NEAR(period_of(piece), period, period * 0.05) << rate;
    }
    // Windows with no sample above 0 must still move on; pieces just over
    // 1000 samples at other rates must keep the first search inside.
    for (auto [n, value, bits, rate] :
         {std::tuple{65534, 0, 8, 11025}, std::tuple{65534, 0, 8, 16000},
          std::tuple{1100, 200, 8, 16000}, std::tuple{2640, 0, 16, 22050}}) {
        std::vector<uint8_t> piece(n, uint8_t(value));
        if (bits == 16)
            for (size_t i = 1; i < piece.size(); i += 2) piece[i] = 0x80;  // -32768
        EXPECT_LE(sound::shorten_piece(piece.data(), piece.size(), uint16_t(bits), rate),
                  size_t(n / (bits / 8)));
    }
}

TEST(PlayPcm, ShortenedSpeechPlays8BitsAtTheSameRateInAboutHalfTheTime) {
    Player p;
    p.player.shorten_speech = true;
    const std::vector<uint8_t> data = periodic16(11025 * 2, 100);  // two seconds
    ASSERT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 16), 0);
    p.wait();
    EXPECT_TRUE(has(p.events(), "wave-open 11025 8 1"));
    EXPECT_NEAR(p.now(), 1000, 120);
    EXPECT_NEAR(double(p.audio().size()) / 11025, 1.0, 0.12);
    EXPECT_NEAR(period_of(p.audio()), 100, 5);
    EXPECT_EQ(data, periodic16(11025 * 2, 100));  // the caller's data is left alone
}

}  // namespace
