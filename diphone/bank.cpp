#include "diphone/bank.h"

#include <algorithm>

#include "host/riff.h"

namespace diphone {

DiphoneIndex::DiphoneIndex(const std::vector<uint8_t>& bytes) {
    const size_t count = bytes.size() / index_record_bytes;
    records_.reserve(count);
    for (size_t r = 0; r < count; ++r) {
        const uint8_t* p = bytes.data() + r * index_record_bytes;
        IndexRecord record;
        const size_t length = std::min<size_t>(p[0], max_index_name_chars);
        record.name.assign(reinterpret_cast<const char*>(p + 1), length);
        record.length_bytes = static_cast<uint16_t>(host::riff::le16(p + 9));
        record.offset = host::riff::le32(p + 11);
        records_.push_back(std::move(record));
    }
}

const IndexRecord* DiphoneIndex::find(std::string_view name) const {
    size_t low = 0;
    size_t high = records_.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = std::string_view(records_[middle].name).compare(name);
        if (order == 0) return &records_[middle];
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return nullptr;
}

std::vector<uint8_t> encode_index(const std::vector<IndexRecord>& records) {
    std::vector<uint8_t> bytes(records.size() * index_record_bytes, 0);
    for (size_t r = 0; r < records.size(); ++r) {
        uint8_t* p = bytes.data() + r * index_record_bytes;
        const size_t length = std::min(records[r].name.size(), max_index_name_chars);
        p[0] = static_cast<uint8_t>(length);
        std::copy_n(records[r].name.begin(), length, p + 1);
        p[9] = static_cast<uint8_t>(records[r].length_bytes);
        p[10] = static_cast<uint8_t>(records[r].length_bytes >> 8);
        for (size_t i = 0; i < 4; ++i)
            p[11 + i] = static_cast<uint8_t>(records[r].offset >> (8 * i));
    }
    return bytes;
}

size_t cut_unit_length(size_t length_bytes, bool shorten, int cut_amount, int minimum_length) {
    if (!shorten) return length_bytes;
    const auto length = static_cast<int64_t>(length_bytes);
    // A negative cut would lengthen the unit into its neighbour in the data
    // file; it is taken as no cut.
    int64_t cut = length - std::max(cut_amount, 0);
    if (cut < minimum_length) cut = length < minimum_length ? length : minimum_length;
    return static_cast<size_t>(std::max<int64_t>(cut, 0));
}

WavDataChunk find_wav_data(host::InputFile& file) {
    // A letter sound's format chunk comes first and is not read: the bank
    // plays every sound as its own 11025 Hz, 8-bit mono.
    host::riff::WalkPolicy policy;
    policy.format_first = true;
    policy.min_format_bytes = 0;
    policy.read_format = false;
    const auto layout = host::riff::walk_wave(file, policy);
    if (!layout) return {};
    return WavDataChunk{true, layout->data_offset, layout->data_declared};
}

void SpeechBuffer::ensure_room(size_t n) {
    if (position_ + n >= capacity_bytes) flush_speech();
}

void SpeechBuffer::append_silence(int samples) {
    for (int block = 0; block < samples / 100; ++block) {
        ensure_room(100);
        std::fill_n(write_pointer(), 100, uint8_t{128});
        commit(100);
    }
}

void SpeechBuffer::append_noise(host::Random& random) {
    ensure_room(300);
    uint8_t* p = write_pointer();
    for (size_t i = 0; i < 300; ++i) p[i] = static_cast<uint8_t>(88 + random.next(80));
    commit(300);
}

void SpeechBuffer::flush_speech() {
    if (position_ <= header_bytes) return;
    host::riff::put_wav_header(block_.data(), host::PcmFormat{rate_hz, 8, 1},
                               static_cast<uint32_t>(position_ - header_bytes));
    output_.play_image_and_wait(block_.data(), position_);
    position_ = header_bytes;
}

}  // namespace diphone
