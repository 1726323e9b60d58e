#include "diphone/bank.h"

#include <algorithm>

#include "host/riff.h"

#include "sound/wave_player.h"

namespace diphone {
namespace {

uint32_t read_le(const uint8_t* p, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = bytes; i-- > 0;) value = (value << 8) | p[i];
    return value;
}

using host::riff::same_id;

}  // namespace

DiphoneIndex::DiphoneIndex(const std::vector<uint8_t>& bytes) {
    const size_t count = bytes.size() / index_record_bytes;
    records_.reserve(count);
    for (size_t r = 0; r < count; ++r) {
        const uint8_t* p = bytes.data() + r * index_record_bytes;
        IndexRecord record;
        const size_t length = std::min<size_t>(p[0], max_index_name_chars);
        record.name.assign(reinterpret_cast<const char*>(p + 1), length);
        record.length_bytes = static_cast<uint16_t>(read_le(p + 9, 2));
        record.offset = read_le(p + 11, 4);
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
    WavDataChunk chunk;
    const uint64_t size = file.size();
    uint8_t head[12];
    if (!file.seek(0) || file.read(head, 12) != 12 || !same_id(head, "riff")) return chunk;
    uint64_t position = 12;
    bool first = true;
    for (;;) {
        if (!file.seek(position) || file.read(head, 8) != 8) return chunk;
        const uint64_t body = read_le(head + 4, 4);
        position += 8;
        if (first) {
            // The first chunk must be the format; its body is skipped unread.
            if (!same_id(head, "fmt ")) return chunk;
            first = false;
        } else if (same_id(head, "data")) {
            chunk.found = true;
            chunk.offset = position;
            chunk.length_bytes = body;
            return chunk;
        }
        if (body > size - std::min(size, position)) return chunk;  // a short body
        position = host::riff::next_chunk_offset(file, position + body, body);
    }
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
    sound::fill_wav_header(block_.data(), static_cast<uint32_t>(position_ - header_bytes), rate_hz,
                           8, 1);
    output_.play_image_and_wait(block_.data(), position_);
    position_ = header_bytes;
}

}  // namespace diphone
