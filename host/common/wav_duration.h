// How long a WAV file plays, for a backend that stands for a real player.
#pragma once
#include <cstdint>
#include <string_view>

#include "host/files.h"

namespace host::common {

// Duration in milliseconds of a RIFF/WAVE file's first data chunk; 0 when the
// file is missing or malformed.
uint32_t wav_file_duration_ms(Files& files, std::string_view path);

}  // namespace host::common
