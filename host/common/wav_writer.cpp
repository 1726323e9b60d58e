#include "host/common/wav_writer.h"

#include <cstdio>

namespace host::common {

bool write_wav_file(const std::string& native_path, const PcmFormat& format,
                    const std::vector<uint8_t>& data) {
    std::FILE* file = std::fopen(native_path.c_str(), "wb");
    if (!file) return false;
    const uint32_t length = static_cast<uint32_t>(data.size());
    const uint32_t block_align = format.channels * (format.bits / 8);
    const uint32_t byte_rate = format.rate_hz * block_align;
    uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                     16,  0,   0,   0,   1, 0};
    const auto put32 = [&h](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const auto put16 = [&h](int at, uint32_t v) {
        h[at] = static_cast<uint8_t>(v);
        h[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put32(4, length + 36);
    put16(22, format.channels);
    put32(24, format.rate_hz);
    put32(28, byte_rate);
    put16(32, block_align);
    put16(34, format.bits);
    h[36] = 'd';
    h[37] = 'a';
    h[38] = 't';
    h[39] = 'a';
    put32(40, length);
    bool ok = std::fwrite(h, 1, 44, file) == 44;
    ok = ok && (data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size());
    return std::fclose(file) == 0 && ok;
}

}  // namespace host::common
