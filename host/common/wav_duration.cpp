#include "host/common/wav_duration.h"

#include "host/riff.h"

namespace host::common {

uint32_t wav_file_duration_ms(Files& files, std::string_view path) {
    auto file = files.open_read(path);
    if (!file) return 0;
    const auto layout = riff::walk_wave(*file);
    if (!layout || layout->byte_rate == 0) return 0;
    return static_cast<uint32_t>(layout->data_available * 1000 / layout->byte_rate);
}

}  // namespace host::common
