#include "textwindow/tone.h"

#include <gtest/gtest.h>

#include <cstring>

namespace textwindow {
namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(Tone, ImageHoldsWholeSquarePeriods) {
    for (int f : {100, 400, 800, 1000, 1600, 3000, 5512, 11025}) {
        SCOPED_TRACE(f);
        const std::vector<uint8_t> image = build_tone_image(f);
        ASSERT_GE(image.size(), 44u);
        EXPECT_EQ(std::memcmp(image.data(), "RIFF", 4), 0);
        EXPECT_EQ(std::memcmp(image.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(std::memcmp(image.data() + 36, "data", 4), 0);
        EXPECT_EQ(u32(image, 16), 16u);
        EXPECT_EQ(u16(image, 20), 1);
        EXPECT_EQ(u16(image, 22), 1);
        EXPECT_EQ(u32(image, 24), 11025u);
        EXPECT_EQ(u32(image, 28), 11025u);
        EXPECT_EQ(u16(image, 34), 8);

        // The data ends at the first period start past 11025 - p - 44.
        const int p = 11025 / f;
        uint32_t expected_length = 0;
        for (int k = 0;; ++k) {
            const int start = static_cast<int>(int64_t(k) * 11025 / f);
            if (start > 11025 - p - 44) {
                expected_length = static_cast<uint32_t>(start);
                break;
            }
        }
        const uint32_t length = u32(image, 40);
        EXPECT_EQ(length, expected_length);
        EXPECT_EQ(u32(image, 4), length + 36);
        ASSERT_EQ(image.size(), 44u + length);

        // Each sample belongs to the period that started last: p/2 + 1 low
        // samples, then high ones; the very last sample is the mid level.
        const uint8_t* data = image.data() + 44;
        int k = 0;
        for (uint32_t i = 0; i + 1 < length; ++i) {
            while (int64_t(k + 1) * 11025 / f <= i) ++k;
            const int64_t start = int64_t(k) * 11025 / f;
            const uint8_t expected = (i - start) <= p / 2 ? 96 : 160;
            ASSERT_EQ(data[i], expected) << "sample " << i;
        }
        EXPECT_EQ(data[length - 1], 128);
    }
}

TEST(Tone, FrequenciesWithoutAPeriodGiveNothing) {
    for (int f : {0, -100, 11026, 2000000000}) EXPECT_TRUE(build_tone_image(f).empty()) << f;
    // One hertz has no room for a period: a header with no data.
    const std::vector<uint8_t> one = build_tone_image(1);
    ASSERT_EQ(one.size(), 44u);
    EXPECT_EQ(u32(one, 40), 0u);
}

}  // namespace
}  // namespace textwindow
