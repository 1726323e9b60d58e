// The building blocks of the data set generators: PCX and WAV images as the
// system reads them, unit names to the voice's phonemes, the bank layout.

// Built only with the generators (ZIMBALOT_TOOLS); a tree without them has no data set.
#ifdef ZIMBALOT_MAKE_DATASET
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "picture/pcx.h"
#include "tools/gen/audio.h"
#include "tools/gen/bank.h"
#include "tools/gen/canvas.h"
#include "tools/gen/music.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(Pcx, RoundTripsThroughTheProgramsDecoder) {
    // Rows with long runs, single bytes of 192 and above (which must be
    // written as runs of one), and a run longer than 63.
    const int w = 320, h = 3;
    std::vector<uint8_t> pixels(static_cast<size_t>(w * h));
    for (int x = 0; x < w; ++x) {
        pixels[static_cast<size_t>(x)] = static_cast<uint8_t>(x < 100 ? 7 : 200);
        pixels[static_cast<size_t>(w + x)] = static_cast<uint8_t>(x * 7);
        pixels[static_cast<size_t>(2 * w + x)] = static_cast<uint8_t>(x % 2 ? 255 : 191);
    }
    std::vector<gen::Rgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                           9};
    const std::vector<uint8_t> file = gen::encode_pcx(w, h, pixels, palette);

    std::vector<uint8_t> decoded(pixels.size(), 0);
    host::Rgb read_palette[256];
    const picture::PcxDecodeResult result = picture::decode_pcx(
        file.data(), file.size(),
        [&](int y, const uint8_t* indices, int count) {
            std::memcpy(&decoded[static_cast<size_t>(y * w)], indices, static_cast<size_t>(count));
        },
        read_palette);
    ASSERT_EQ(result.status, picture::PcxStatus::complete);
    EXPECT_EQ(result.header.version, 5);
    EXPECT_EQ(result.header.width(), w);
    EXPECT_EQ(result.header.height(), h);
    ASSERT_TRUE(result.has_palette);
    EXPECT_EQ(decoded, pixels);
    EXPECT_EQ(read_palette[200].red, 200);
    EXPECT_EQ(read_palette[200].green, 55);
    EXPECT_EQ(file[file.size() - 769], 12);
}

TEST(Pcx, ColoursAreKeptExactlyUpTo256AndMappedToTheNearestBeyond) {
    for (const int count : {200, 400}) {
        SCOPED_TRACE(count);
        gen::Canvas canvas(count, 1, {0, 0, 0});
        for (int x = 0; x < count; ++x)
            canvas.fill_rect(
                x, 0, 1, 1,
                {static_cast<uint8_t>(x % 20 * 12), static_cast<uint8_t>(x / 20 * 12), 7});
        std::vector<uint8_t> indices;
        std::vector<gen::Rgb> palette;
        canvas.to_indexed(indices, palette);
        ASSERT_EQ(palette.size(), 256u);
        auto distance = [](gen::Rgb a, gen::Rgb b) {
            return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                   (a.b - b.b) * (a.b - b.b);
        };
        for (int x = 0; x < count; ++x) {
            const gen::Rgb want = canvas.at(x, 0);
            const gen::Rgb got = palette[indices[static_cast<size_t>(x)]];
            if (count <= 256) {
                EXPECT_EQ(got, want) << x;
                continue;
            }
            for (const gen::Rgb& other : palette)
                EXPECT_LE(distance(want, got), distance(want, other));
        }
    }
}

TEST(Wav, HeaderIsThePlain44ByteLayout) {
    const std::vector<uint8_t> image = gen::wav8_image({128, 129, 130});
    ASSERT_EQ(image.size(), 47u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "RIFF");
    EXPECT_EQ(le32(image, 4), 39u);
    EXPECT_EQ(std::string(image.begin() + 8, image.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(image, 16), 16u);
    EXPECT_EQ(le16(image, 20), 1);  // PCM
    EXPECT_EQ(le16(image, 22), 1);  // mono
    EXPECT_EQ(le32(image, 24), 11025u);
    EXPECT_EQ(le32(image, 28), 11025u);
    EXPECT_EQ(le16(image, 32), 1);
    EXPECT_EQ(le16(image, 34), 8);
    EXPECT_EQ(std::string(image.begin() + 36, image.begin() + 40), "data");
    EXPECT_EQ(le32(image, 40), 3u);
}

TEST(Wav, SamplesAreClippedAndCentredOn128) {
    gen::Samples s;
    s.data = {0.0f, 1.0f, -1.0f, 2.5f, -3.0f, 0.5f};
    EXPECT_EQ(gen::to_u8(s), (std::vector<uint8_t>{128, 255, 1, 255, 1, 192}));
}

TEST(Audio, TrimKeepsTheAskedEdge) {
    gen::Samples s;
    s.data = {0, 0, 0, 0, 0.5f, 0.6f, 0, 0, 0};
    gen::trim_silence(s, 0.1f, 2, 1);
    EXPECT_EQ(s.data, (std::vector<float>{0, 0, 0.5f, 0.6f, 0}));
    gen::Samples quiet;
    quiet.data = {0.001f, 0};
    gen::trim_silence(quiet, 0.1f, 5, 5);
    EXPECT_TRUE(quiet.data.empty());
}

TEST(Music, NoteNamesAndMalformedTunes) {
    EXPECT_NEAR(gen::note_frequency("A4"), 440.0, 1e-9);
    EXPECT_NEAR(gen::note_frequency("C4"), 261.626, 1e-3);
    EXPECT_NEAR(gen::note_frequency("A#4"), gen::note_frequency("Bb4"), 1e-9);
    EXPECT_NEAR(gen::note_frequency("A5"), 880.0, 1e-9);
    for (const char* bad : {"", "H4", "A", "A9", "A44", "a4"})
        EXPECT_EQ(gen::note_frequency(bad), 0) << bad;

    gen::Samples out;
    std::string error;
    EXPECT_FALSE(gen::render_tune("tuba C4/100", out, error));
    EXPECT_FALSE(gen::render_tune("sino C4", out, error));
    EXPECT_FALSE(gen::render_tune("sino C4/0", out, error));
    EXPECT_FALSE(gen::render_tune("sino X4/100", out, error));
    ASSERT_TRUE(gen::render_tune("sino C5/100 -/100 ; metais C4+E4/200", out, error)) << error;
    // the bell rings on after its last note
    EXPECT_GT(out.data.size(), 200u * 11025 / 1000);
}

TEST(Bank, UnitNamesBecomeTheVoicesPhonemes) {
    struct Case {
        const char* name;
        const char* phonemes;
        bool vowel;
    };
    const Case cases[] = {
        {"$KA", "k'a", true},     {"$BECIRC", "b'e", true}, {"$BE", "b'E", true},
        {"$MATIL", "m'&~", true}, {"$AWTIL", "'&U~", true}, {"$PAY", "p'ay", true},
        {"$TCHI", "tS'i", true},  {"$DJI", "dZ'i", true},   {"$RRA", "x'a", true},
        {"$RA", "*'a", true},     {"$AR", "'ar", true},     {"$NHACIRC", "n^'&", true},
        {"$LHU", "l^'u", true},   {"$XA", "S'a", true},     {"$JE", "Z'E", true},
        {"$KWA", "kw'a", true},   {"$KSI", "ks'i", true},   {"$OTIL", "'o~", true},
        {"$S", "s", false},       {"$B", "b", false},       {"$TIL", "t'il", true},
    };
    for (const Case& c : cases) {
        bool vowel = false;
        EXPECT_EQ(gen::unit_phonemes(c.name, vowel), c.phonemes) << c.name;
        EXPECT_EQ(vowel, c.vowel) << c.name;
    }
    bool vowel = true;
    EXPECT_EQ(gen::unit_phonemes("KA", vowel), "");
    EXPECT_EQ(gen::unit_phonemes("$", vowel), "");
}

// espeak-ng cannot be started again once stopped: one voice for every test.
gen::Voice* shared_voice() {
    static gen::Voice voice;
    static const bool started = voice.start();
    return started ? &voice : nullptr;
}

// Units cut from loud and quiet carrier words (open a, close i and u, a nasal,
// a fricative onset) are all audible, and none clips the 8-bit range.
TEST(Bank, UnitsFromTheVoiceAreAudibleWithoutClipping) {
    gen::Voice* const shared = shared_voice();
    if (!shared) GTEST_SKIP() << "no pt-br voice";
    gen::Voice& voice = *shared;
    float lowest = 1;
    for (const char* name : {"$A", "$I", "$U", "$MA", "$SI", "$NHU", "$KOTIL", "$BECIRC"}) {
        const gen::Samples s = gen::synthesise_unit(voice, name, gen::VoiceStyle{160, 50, 50});
        ASSERT_FALSE(s.data.empty()) << name;
        float peak = 0;
        for (float v : s.data) peak = std::max(peak, std::fabs(v));
        EXPECT_LT(peak, 0.99f) << name;
        lowest = std::min(lowest, peak);
    }
    EXPECT_GT(lowest, 0.2f);
}

// A unit is the same whatever the voice said before it, so adding a unit to
// the list leaves every other unit as it was. Its nasal and tap variants are
// said as such: a nasal vowel ends in its murmur (longer than the oral vowel),
// a coda r is a short tap.
TEST(Bank, UnitsDependOnlyOnTheirNames) {
    gen::Voice* const shared = shared_voice();
    if (!shared) GTEST_SKIP() << "no pt-br voice";
    gen::Voice& voice = *shared;
    const gen::VoiceStyle style{160, 50, 20};
    const gen::Samples first = gen::synthesise_unit(voice, "$KA", style);
    for (const char* other : {"$SOTIL", "$LHU", "$R", "$BECIRC"})
        gen::synthesise_unit(voice, other, style);
    EXPECT_EQ(gen::synthesise_unit(voice, "$KA", style).data, first.data);

    const size_t oral = gen::synthesise_unit(voice, "$KO", style).data.size();
    const size_t nasal = gen::synthesise_unit(voice, "$KOTIL", style).data.size();
    EXPECT_GT(nasal, oral + 11025 * 20 / 1000);
    const size_t tap = gen::synthesise_unit(voice, "$R", style).data.size();
    EXPECT_GT(tap, 0u);
    EXPECT_LT(tap, 11025u * 60 / 1000);
}

TEST(Bank, IndexIsSortedWithLengthsAndOffsets) {
    gen::Bank bank;
    bank.units["$KA"] = std::vector<uint8_t>(10, 1);
    bank.units["$A"] = std::vector<uint8_t>(5, 2);
    bank.units["$ABCDEFGHI"] = std::vector<uint8_t>(3, 3);  // 10 characters: cannot be stored
    bank.units["$Z"] = std::vector<uint8_t>(70000, 4);      // longer than a record can say
    std::vector<uint8_t> index, data;
    gen::encode_bank(bank, index, data);
    ASSERT_EQ(index.size(), 3u * 15);
    auto name = [&](int i) {
        return std::string(index.begin() + i * 15 + 1,
                           index.begin() + i * 15 + 1 + index[static_cast<size_t>(i * 15)]);
    };
    EXPECT_EQ(name(0), "$A");
    EXPECT_EQ(name(1), "$KA");
    EXPECT_EQ(name(2), "$Z");
    EXPECT_EQ(le16(index, 9), 5);
    EXPECT_EQ(le32(index, 11), 0u);
    EXPECT_EQ(le16(index, 15 + 9), 10);
    EXPECT_EQ(le32(index, 15 + 11), 5u);
    EXPECT_EQ(le16(index, 30 + 9), 65535);
    EXPECT_EQ(le32(index, 30 + 11), 15u);
    EXPECT_EQ(data.size(), 5u + 10 + 65535);
    EXPECT_EQ(data[5], 1);
}

TEST(Braille, LetterCells) {
    EXPECT_EQ(gen::braille_dots('a'), 0x01);
    EXPECT_EQ(gen::braille_dots('B'), 0x03);
    EXPECT_EQ(gen::braille_dots('j'), 0x1A);  // 2 4 5
    EXPECT_EQ(gen::braille_dots('w'), 0x3A);  // 2 4 5 6
    EXPECT_EQ(gen::braille_dots('Z'), 0x35);  // 1 3 5 6
    EXPECT_EQ(gen::braille_dots('1'), 0);
}

}  // namespace

#endif  // ZIMBALOT_MAKE_DATASET
