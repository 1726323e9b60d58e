// Shortening speech: 16-bit mono to 8 bits and every other pitch period
// dropped, measured on synthetic periodic signals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/wave_player.h"
#include "sound_support.h"

namespace {

// A 16-bit little-endian signal with one clear peak per period.
std::vector<uint8_t> periodic16(size_t samples, double period) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < samples; ++i) {
        const double t = 2 * M_PI * double(i) / period;
        const auto v = static_cast<int16_t>(12000 * std::sin(t) + 5000 * std::sin(2 * t + 0.6));
        testsound::put_u16(out, static_cast<uint16_t>(v));
    }
    return out;
}

// Mean distance between upward crossings of the middle value (with some
// hysteresis), over the 8-bit samples [from, to).
double mean_period(const std::vector<uint8_t>& s, size_t from, size_t to) {
    std::vector<size_t> ups;
    bool low = false;
    for (size_t i = from; i < to; ++i) {
        if (s[i] < 118) low = true;
        if (low && s[i] >= 128) {
            ups.push_back(i);
            low = false;
        }
    }
    if (ups.size() < 2) return 0;
    return double(ups.back() - ups.front()) / double(ups.size() - 1);
}

struct ShortenCase {
    uint32_t rate;
    double period;  // within the searched range of that rate
};

class ShortenPeriodic : public testing::TestWithParam<ShortenCase> {};

TEST_P(ShortenPeriodic, HalvesTheLengthAndKeepsThePitch) {
    const ShortenCase c = GetParam();
    std::vector<uint8_t> piece = periodic16(sound::block_bytes / 2, c.period);
    const size_t samples = piece.size() / 2;
    const size_t n = sound::shorten_piece(piece.data(), piece.size(), 16, c.rate);
    piece.resize(n);
    const double ratio = double(n) / double(samples);
    EXPECT_GT(ratio, 0.45);
    EXPECT_LT(ratio, 0.56);
    const double measured = mean_period(piece, n / 10, n - n / 10);
    EXPECT_NEAR(measured, c.period, c.period * 0.05);
}

INSTANTIATE_TEST_SUITE_P(Rates, ShortenPeriodic,
                         testing::Values(ShortenCase{11025, 100}, ShortenCase{11025, 120},
                                         ShortenCase{16000, 400}, ShortenCase{22050, 350}));

TEST(ShortenPiece, ShortPiecesAreOnlyConverted) {
    std::vector<uint8_t> piece;
    for (int16_t v : {int16_t(0), int16_t(-32768), int16_t(32767), int16_t(0x1234)})
        testsound::put_u16(piece, static_cast<uint16_t>(v));
    EXPECT_EQ(sound::shorten_piece(piece.data(), piece.size(), 16, 11025), 4u);
    EXPECT_EQ(std::vector<uint8_t>(piece.begin(), piece.begin() + 4),
              (std::vector<uint8_t>{0x80, 0x00, 0xFF, 0x92}));

    std::vector<uint8_t> eight(999, 7);
    EXPECT_EQ(sound::shorten_piece(eight.data(), eight.size(), 8, 11025), 999u);
    EXPECT_EQ(eight, std::vector<uint8_t>(999, 7));
}

// Windows that hold no sample above 0 must still move the pass on; pieces
// just above 1000 samples at other rates must keep the first search inside.
TEST(ShortenPiece, FinishesOnSilentAndBarelyLongPieces) {
    struct Case {
        std::vector<uint8_t> piece;
        uint16_t bits;
        uint32_t rate;
    };
    std::vector<uint8_t> minus_full;  // -32768 everywhere: 0 after conversion
    for (int i = 0; i < 30000; ++i) testsound::put_u16(minus_full, 0x8000);
    std::vector<uint8_t> zeros_then_sound(65534, 0);
    for (size_t i = 40000; i < zeros_then_sound.size(); ++i)
        zeros_then_sound[i] = static_cast<uint8_t>(128 + 100 * std::sin(double(i) / 15));
    const std::vector<Case> cases = {
        {std::vector<uint8_t>(65534, 0), 8, 11025},
        {std::vector<uint8_t>(65534, 0), 8, 16000},
        {minus_full, 16, 11025},
        {zeros_then_sound, 8, 11025},
        {std::vector<uint8_t>(1000, 200), 8, 16000},
        {std::vector<uint8_t>(1100, 200), 8, 16000},
        {std::vector<uint8_t>(1320, 200), 8, 22050},
        {std::vector<uint8_t>(2640, 200), 16, 16000},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> piece = c.piece;  // exact size, so a read past it is caught
        const size_t n = sound::shorten_piece(piece.data(), piece.size(), c.bits, c.rate);
        EXPECT_LE(n, c.bits == 16 ? piece.size() / 2 : piece.size());
        EXPECT_GT(n, 0u);
    }
}

TEST(PlayPcm, ShortenedSpeechPlaysAs8BitsAtTheSameRateInAboutHalfTheTime) {
    testsound::Player p;
    p.player.shorten_speech = true;
    const std::vector<uint8_t> data = periodic16(11025 * 2, 100);  // two seconds
    ASSERT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 1, 16), 0);
    while (p.player.wav_busy()) p.window.wait_message();
    const auto events = p.events();
    EXPECT_NE(std::find(events.begin(), events.end(), "wave-open 11025 8 1"), events.end());
    const std::vector<uint8_t>& out = p.audio();
    const double seconds = double(out.size()) / 11025;
    EXPECT_GT(seconds, 0.9);
    EXPECT_LT(seconds, 1.15);
    EXPECT_NEAR(mean_period(out, 1000, out.size() - 1000), 100, 5);
    EXPECT_LT(p.backend().now_ms(), 1200u);
    // The caller's data is left as it was.
    EXPECT_EQ(data, periodic16(11025 * 2, 100));
}

TEST(PlayPcm, StereoIsNeverShortened) {
    testsound::Player p;
    p.player.shorten_speech = true;
    const std::vector<uint8_t> data = periodic16(4000, 100);
    ASSERT_EQ(p.player.play_pcm(data.data(), data.size(), 11025, 2, 16), 0);
    while (p.player.wav_busy()) p.window.wait_message();
    EXPECT_EQ(p.audio(), data);
}

}  // namespace
