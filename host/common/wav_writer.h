// Writing a PCM WAV file as its samples arrive (captures, falar -w): the
// samples go straight to the file, and the header's sizes are filled in
// when it is finished.
#pragma once
#include <cstdint>
#include <string>

#include "host/audio.h"
#include "host/common/output_file.h"

namespace host::common {

class WavFileWriter {
public:
    // Starts the file (see OutputFile::open); false with error() set.
    bool open(const std::string& path);
    // The samples' format; set before the first append, and kept.
    void set_format(const PcmFormat& format);
    // Appends samples. False once writing failed, or when the data would
    // outgrow what a RIFF header can describe (4 GB).
    bool append(const uint8_t* data, size_t length_bytes);
    // Completes the header and renames the file into place. With
    // `require_samples`, a file without samples is not written: it is
    // discarded and reported as having nothing to write.
    bool finish(bool require_samples = false);
    void discard() { file_.discard(); }

    bool is_open() const { return file_.is_open(); }
    uint64_t data_bytes() const { return data_bytes_; }
    const std::string& path() const { return file_.path(); }
    const std::string& error() const { return file_.error(); }

private:
    bool write_header(uint32_t data_length);

    OutputFile file_;
    PcmFormat format_;
    bool header_written_ = false;
    uint64_t data_bytes_ = 0;
};

}  // namespace host::common
