// The screenshot encoder: a PNG whose chunks, checksums and stored rows a
// reader accepts, across the 64 KiB limit of one stored block; and the
// character messages of a machine whose ANSI code page is not Windows-1252.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/win32/png_writer.h"
#include "host/win32/win32_backend.h"

namespace {

uint32_t be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint32_t crc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

// Reads the file back: every chunk's checksum, the size, and the rows
// inflated from the stored blocks.
std::vector<uint8_t> rows_of(const std::vector<uint8_t>& png, int& width, int& height) {
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(png.size() > 8 && std::equal(signature, signature + 8, png.begin()));
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = be32(&png[at]);
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        EXPECT_EQ(crc(&png[at + 4], length + 4), be32(&png[at + 8 + length])) << type;
        if (type == "IHDR") {
            width = int(be32(&png[at + 8]));
            height = int(be32(&png[at + 12]));
            EXPECT_EQ(png[at + 16], 8);  // bits
            EXPECT_EQ(png[at + 17], 2);  // RGB
        }
        if (type == "IDAT") z.insert(z.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    std::vector<uint8_t> raw;
    size_t at = 2;  // the zlib header
    for (bool last = false; !last && at + 5 <= z.size();) {
        last = z[at] & 1;
        const size_t n = z[at + 1] | (z[at + 2] << 8);
        EXPECT_EQ(n ^ 0xFFFF, size_t(z[at + 3] | (z[at + 4] << 8)));
        raw.insert(raw.end(), z.begin() + at + 5, z.begin() + at + 5 + n);
        at += 5 + n;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(be32(&z[at]), (b << 16) | a);
    return raw;
}

TEST(Png, RowsSurviveTheRoundTrip) {
    for (const auto& [w, h] : {std::pair{3, 2}, std::pair{640, 40}}) {  // 1 and 2 stored blocks
        std::vector<uint32_t> pixels(size_t(w) * h);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        int width = 0, height = 0;
        const std::vector<uint8_t> raw =
            rows_of(host::win32::encode_png(pixels.data(), w, h), width, height);
        ASSERT_EQ(width, w);
        ASSERT_EQ(height, h);
        ASSERT_EQ(raw.size(), size_t(w * 3 + 1) * h);
        for (int y = 0; y < h; ++y) {
            EXPECT_EQ(raw[size_t(y) * (w * 3 + 1)], 0);
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &raw[size_t(y) * (w * 3 + 1) + 1 + x * 3];
                const uint32_t want = pixels[size_t(y) * w + x];
                ASSERT_EQ((uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2], want & 0xFFFFFF);
            }
        }
    }
    const uint32_t one = 0;
    EXPECT_TRUE(host::win32::encode_png(&one, 0, 1).empty());
    EXPECT_TRUE(host::win32::encode_png(nullptr, 1, 1).empty());
}

TEST(CharacterMessages, BytesOfAnotherCodePageBecomeWindows1252) {
    using host::win32::cp1252_from_ansi;
    EXPECT_EQ(cp1252_from_ansi('a', 850), 'a');
    EXPECT_EQ(cp1252_from_ansi(0xE7, 1252), 0xE7);  // ç
    EXPECT_EQ(cp1252_from_ansi(0x87, 850), 0xE7);   // ç in the DOS page
    EXPECT_EQ(cp1252_from_ansi(0xC0, 1251), -1);    // Cyrillic А has no byte
    EXPECT_EQ(cp1252_from_ansi(0x20AC, 1252), -1);  // not a byte at all
}

}  // namespace
