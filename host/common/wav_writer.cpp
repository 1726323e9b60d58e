#include "host/common/wav_writer.h"

#include <cerrno>

#include "host/riff.h"

namespace host::common {
namespace {

constexpr uint32_t header_bytes = riff::wav_header_bytes;
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
    uint8_t h[header_bytes];
    riff::put_wav_header(h, format_, data_length);
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
