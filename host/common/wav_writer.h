// Writing a PCM WAV file (captures).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/audio.h"

namespace host::common {

bool write_wav_file(const std::string& native_path, const PcmFormat& format,
                    const std::vector<uint8_t>& data);

}  // namespace host::common
