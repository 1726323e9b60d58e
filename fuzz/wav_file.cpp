// RIFF/WAVE file walking on arbitrary bytes, then the data streamed in pieces
// and shortened as the player does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/files.h"
#include "sound/wav_reader.h"
#include "sound/wave_player.h"

namespace {

class MemoryFile : public host::InputFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t read(uint8_t* buffer, size_t length) override {
        const size_t n = std::min(length, size_ - pos_);
        if (n) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }
    bool seek(uint64_t offset) override {
        if (offset > size_) return false;
        pos_ = static_cast<size_t>(offset);
        return true;
    }
    uint64_t size() const override { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    // Exactly the player's size, so a read past it is caught.
    std::vector<uint8_t> scratch(sound::block_bytes);
    const auto found = sound::find_wav_file_data(file, scratch.data(), scratch.size());
    if (!found) return 0;
    uint32_t remaining = found->length_bytes;
    uint32_t piece = remaining;
    while (remaining > 0) {
        piece = sound::next_wav_piece(remaining, piece);
        if (piece == 0 || piece > remaining || piece > sound::block_bytes) std::abort();
        remaining -= piece;
        const size_t got = file.read(scratch.data(), piece);
        if (got == 0) break;
        std::vector<uint8_t> copy(scratch.begin(), scratch.begin() + got);
        const size_t n = sound::shorten_piece(copy.data(), copy.size(), found->format.bits,
                                              found->format.rate_hz);
        if (n > got) std::abort();
    }
    return 0;
}
