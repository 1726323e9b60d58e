// A PNG encoder small enough to carry: 8-bit RGB rows in stored (uncompressed)
// deflate blocks. Screenshots are rare and small, so size matters less than
// needing no imaging library on Windows.
#pragma once
#include <cstdint>
#include <vector>

namespace host::win32 {

// The PNG file for `width` x `height` pixels of 0xAARRGGBB (alpha dropped);
// empty when the size is not positive or too large for one image.
std::vector<uint8_t> encode_png(const uint32_t* pixels, int width, int height);

}  // namespace host::win32
