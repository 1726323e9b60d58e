#include "host/common/wav_writer.h"

#include <cerrno>

namespace host::common {
namespace {

constexpr uint32_t header_bytes = 44;
// The RIFF size field counts everything after its own 8 bytes.
constexpr uint64_t largest_data = 0xFFFFFFFFull - (header_bytes - 8);

}  // namespace

bool WavFileWriter::open(const std::string& path) {
    header_written_ = false;
    data_bytes_ = 0;
    return file_.open(path);
}

void WavFileWriter::set_format(const PcmFormat& format) {
    if (!header_written_) format_ = format;
}

bool WavFileWriter::write_header(uint32_t data_length) {
    const uint32_t block_align = format_.channels * (format_.bits / 8);
    const uint32_t byte_rate = format_.rate_hz * block_align;
    uint8_t h[header_bytes] = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                               'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    const auto put32 = [&h](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const auto put16 = [&h](int at, uint32_t v) {
        h[at] = static_cast<uint8_t>(v);
        h[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put32(4, data_length + (header_bytes - 8));
    put16(22, format_.channels);
    put32(24, format_.rate_hz);
    put32(28, byte_rate);
    put16(32, block_align);
    put16(34, format_.bits);
    h[36] = 'd';
    h[37] = 'a';
    h[38] = 't';
    h[39] = 'a';
    put32(40, data_length);
    if (!header_written_) {
        header_written_ = true;
        return file_.write(h, header_bytes);
    }
    // A pipe cannot take the sizes afterwards; its reader gets the
    // "unknown length" sizes written first.
    file_.write_at(0, h, header_bytes);
    return !file_.failed();
}

bool WavFileWriter::append(const uint8_t* data, size_t length_bytes) {
    if (!file_.is_open() || file_.failed()) return false;
    if (data_bytes_ + length_bytes > largest_data) {
        file_.discard("grande demais para um arquivo WAV (4 GB)");
        return false;
    }
    // Until the end the sizes say "as long as the stream".
    if (!header_written_ && !write_header(static_cast<uint32_t>(largest_data))) return false;
    if (!file_.write(data, length_bytes)) return false;
    data_bytes_ += length_bytes;
    return true;
}

bool WavFileWriter::finish(bool require_samples) {
    if (!file_.is_open()) return !file_.failed() && !file_.path().empty();
    if (require_samples && data_bytes_ == 0) {
        file_.discard("nada para gravar (o texto nao deu som)");
        return false;
    }
    if (!write_header(static_cast<uint32_t>(data_bytes_))) {
        file_.discard();
        return false;
    }
    return file_.commit();
}

}  // namespace host::common
