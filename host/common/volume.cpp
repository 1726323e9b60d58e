#include "host/common/volume.h"

namespace host::common {

void apply_volume(uint8_t* data, size_t length_bytes, const PcmFormat& format, int percent) {
    if (percent >= 100 || !data) return;
    if (percent < 0) percent = 0;
    if (format.bits == 8) {
        for (size_t i = 0; i < length_bytes; ++i)
            data[i] = static_cast<uint8_t>(128 + (int(data[i]) - 128) * percent / 100);
    } else if (format.bits == 16) {
        for (size_t i = 0; i + 1 < length_bytes; i += 2) {
            const auto sample = static_cast<int16_t>(data[i] | (data[i + 1] << 8));
            const auto scaled = static_cast<uint16_t>(static_cast<int16_t>(sample * percent / 100));
            data[i] = static_cast<uint8_t>(scaled & 0xFF);
            data[i + 1] = static_cast<uint8_t>(scaled >> 8);
        }
    }
}

}  // namespace host::common
