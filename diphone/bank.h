// Diphone banks (a ".IND" index of 15-byte records and a ".DIF" file of raw
// 8-bit samples), recorded letter sounds (WAV files), and the fixed speech
// buffer that the units are copied into.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "diphone/diphone_synth.h"
#include "host/files.h"
#include "host/random.h"

namespace diphone {

constexpr size_t index_record_bytes = 15;
constexpr size_t max_index_name_chars = 8;

struct IndexRecord {
    std::string name;
    uint16_t length_bytes = 0;
    uint32_t offset = 0;
};

// The bank index, held whole in memory, in file order (sorted by name).
class DiphoneIndex {
public:
    DiphoneIndex() = default;
    // Parses file contents: size / 15 records, the remainder ignored; a name
    // length above 8 is taken as 8.
    explicit DiphoneIndex(const std::vector<uint8_t>& bytes);
    // Binary search for an upper-case name; nullptr when absent.
    const IndexRecord* find(std::string_view name) const;
    size_t size() const { return records_.size(); }
    const std::vector<IndexRecord>& records() const { return records_; }

private:
    std::vector<IndexRecord> records_;
};

// Builds index file contents from records (for generators and tests); names
// are cut to 8 characters and the records written in the order given.
std::vector<uint8_t> encode_index(const std::vector<IndexRecord>& records);

// The unit length after the cut for unstressed multi-phoneme units, before
// the length factor: the "CORTEFON"/"SOBRAFON" rule.
size_t cut_unit_length(size_t length_bytes, bool shorten, int cut_amount, int minimum_length);

// The samples of a RIFF/WAVE letter sound: where its "data" chunk starts and
// how long it says it is, after walking the chunks ("fmt " first, then any
// chunks up to "data"). found is false for a file that is not one.
struct WavDataChunk {
    bool found = false;
    uint64_t offset = 0;
    uint64_t length_bytes = 0;
};
WavDataChunk find_wav_data(host::InputFile& file);

// The one block that utterances are assembled in: 44 header bytes, then
// samples. Full blocks are handed to the output, which plays them to the end.
class SpeechBuffer {
public:
    static constexpr size_t capacity_bytes = 64000;
    static constexpr size_t header_bytes = 44;
    // The most one unit or letter sound may add: an empty block's room.
    static constexpr size_t max_piece_bytes = capacity_bytes - header_bytes;
    static constexpr uint32_t rate_hz = 11025;

    explicit SpeechBuffer(SpeechOutput& output) : output_(output) {}

    void reset() { position_ = header_bytes; }
    size_t position() const { return position_; }
    // `ensure_room`: plays what is held when n more bytes would reach the end.
    void ensure_room(size_t n);
    // Where the next n bytes go after ensure_room(n); the caller then commits
    // the count actually written (n at most).
    uint8_t* write_pointer() { return block_.data() + position_; }
    void commit(size_t n) { position_ += n; }
    // `append_silence`: (samples div 100) blocks of 100 bytes of 128.
    void append_silence(int samples);
    // `append_noise`: 300 random bytes from 88 to 167.
    void append_noise(host::Random& random);
    // `flush_speech`: hands the image to the output when it holds samples.
    void flush_speech();

private:
    SpeechOutput& output_;
    std::vector<uint8_t> block_ = std::vector<uint8_t>(capacity_bytes, 128);
    size_t position_ = header_bytes;
};

}  // namespace diphone
