// The volume applied to samples on their way to the device.
#include "host/common/volume.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Volume, EightAndSixteenBitSamplesScaleAroundSilence) {
    const host::PcmFormat eight{11025, 8, 1};
    const host::PcmFormat sixteen{16000, 16, 1};
    const struct {
        int percent;
        std::vector<uint8_t> in, out;
        const host::PcmFormat* format;
    } cases[] = {
        {100, {0, 128, 255}, {0, 128, 255}, &eight},
        {50, {0, 128, 255, 100}, {64, 128, 191, 114}, &eight},
        {0, {0, 200}, {128, 128}, &eight},
        {-10, {0, 200}, {128, 128}, &eight},  // below 0 is silence
        // 16-bit little-endian: 1000 -> 500, -1000 -> -500, -32768 -> -16384;
        // the odd trailing byte is left alone.
        {50,
         {0xE8, 0x03, 0x18, 0xFC, 0x00, 0x80, 0x7F},
         {0xF4, 0x01, 0x0C, 0xFE, 0x00, 0xC0, 0x7F},
         &sixteen},
        {0, {0xFF, 0x7F}, {0, 0}, &sixteen},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data = c.in;
        host::common::apply_volume(data.data(), data.size(), *c.format, c.percent);
        EXPECT_EQ(data, c.out) << c.percent << "% " << c.format->bits << " bits";
    }
}

}  // namespace
