// The program's volume, applied to the samples on their way to the device,
// so that a capture holds what the listener hears.
#pragma once
#include <cstddef>
#include <cstdint>

#include "host/audio.h"

namespace host::common {

// Scales PCM samples in place to `percent` (0..100; 100 leaves them as they
// are, 0 gives silence). 8-bit samples are unsigned around 128, 16-bit ones
// signed little-endian; a trailing partial sample is left alone.
void apply_volume(uint8_t* data, size_t length_bytes, const PcmFormat& format, int percent);

}  // namespace host::common
