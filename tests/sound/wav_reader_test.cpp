// RIFF/WAVE walking over files and images, the header template, and the
// piece sizes of a file's data.
#include "sound/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "sound/wave_player.h"
#include "sound_support.h"

namespace {

using sound::WavFormat;
using testsound::Chunk;
using testsound::fmt_body;
using testsound::riff;

std::vector<uint32_t> pieces_of(uint32_t length) {
    std::vector<uint32_t> out;
    uint32_t remaining = length;
    uint32_t piece = length;
    while (remaining > 0) {
        piece = sound::next_wav_piece(remaining, piece);
        out.push_back(piece);
        remaining -= piece;
    }
    return out;
}

TEST(WavPieces, LastPieceIsNeverShorterThan256Bytes) {
    struct Case {
        uint32_t length;
        std::vector<uint32_t> pieces;
    };
    for (const Case& c :
         {Case{100000, {65534, 34466}}, Case{70000, {65534, 4466}}, Case{65700, {65278, 422}},
          Case{131100, {65534, 65278, 288}}, Case{65535, {65278, 257}}, Case{65789, {65278, 511}},
          Case{65790, {65534, 256}}, Case{65534, {65534}}, Case{300, {300}}, Case{1, {1}},
          Case{196602, {65534, 65534, 65534}}})
        EXPECT_EQ(pieces_of(c.length), c.pieces) << c.length;
}

TEST(FillWavHeader, FillsTheTemplatesFields) {
    struct Case {
        uint32_t length, rate;
        uint16_t bits, channels;
        uint32_t bytes_per_second;
    };
    for (const Case& c : {Case{256, 11025, 8, 1, 11025}, Case{32000, 16000, 16, 1, 32000},
                          Case{7, 22050, 16, 2, 88200}}) {
        uint8_t h[sound::wav_header_bytes];
        std::memset(h, 0xAA, sizeof h);
        sound::fill_wav_header(h, c.length, c.rate, c.bits, c.channels);
        std::vector<uint8_t> expected = {'R', 'I', 'F', 'F'};
        testsound::put_u32(expected, c.length + 36);
        expected.insert(expected.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
        testsound::put_u32(expected, 16);
        testsound::put_u16(expected, 1);
        testsound::put_u16(expected, c.channels);
        testsound::put_u32(expected, c.rate);
        testsound::put_u32(expected, c.bytes_per_second);
        testsound::put_u16(expected, 1);  // block align as in the template
        testsound::put_u16(expected, c.bits);
        expected.insert(expected.end(), {'d', 'a', 't', 'a'});
        testsound::put_u32(expected, c.length);
        EXPECT_EQ(std::vector<uint8_t>(h, h + sizeof h), expected) << c.rate;
    }
}

// The same byte layouts read as a file and as an image.
struct WalkCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool file_found;
    bool image_found;
    WavFormat format{};
    uint32_t data_length = 0;  // as the file's header says
    size_t image_length = 0;   // as the image holds
};

const std::vector<uint8_t> data100(100, 7);

std::vector<WalkCase> walk_cases() {
    const WavFormat mono8{1, 11025, 8};
    std::vector<WalkCase> cases;
    cases.push_back({"plain", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", data100}}), true,
                     true, mono8, 100, 100});
    cases.push_back({"lower-case identifiers",
                     riff({{"FMT ", fmt_body(22050, 16, 2)}, {"Data", data100}}, "riff"), true,
                     true, WavFormat{2, 22050, 16}, 100, 100});
    cases.push_back({"an 18-byte format chunk and chunks before the data",
                     riff({{"fmt ", fmt_body(16000, 16, 1, 2)},
                           {"LIST", std::vector<uint8_t>(30, 'x')},
                           {"fact", {1, 0, 0, 0}},
                           {"data", data100}}),
                     true, true, WavFormat{1, 16000, 16}, 100, 100});
    cases.push_back({"data longer than the bytes that follow",
                     riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", data100, 5000}}), true, true,
                     mono8, 5000, 100});
    cases.push_back({"a chunk larger than the scratch buffer",
                     riff({{"fmt ", fmt_body(11025, 8, 1)},
                           {"LIST", std::vector<uint8_t>(70000, 'x')},
                           {"data", data100}}),
                     false, true, mono8, 0, 100});
    cases.push_back({"no data chunk",
                     riff({{"fmt ", fmt_body(11025, 8, 1)}, {"LIST", {1, 2, 3, 4}}}), false,
                     false});
    cases.push_back({"not RIFF", riff({{"fmt ", fmt_body(11025, 8, 1)}, {"data", data100}}, "RIFX"),
                     false, false});
    cases.push_back({"no format chunk at 12",
                     riff({{"data", data100}, {"fmt ", fmt_body(11025, 8, 1)}}), false, false});
    cases.push_back({"a format chunk too short for its fields",
                     riff({{"fmt ", std::vector<uint8_t>(8, 1)}, {"data", data100}}), false,
                     false});
    cases.push_back({"a format chunk longer than the file",
                     riff({{"fmt ", fmt_body(11025, 8, 1), 900}}), false, false});
    cases.push_back({"a chunk length past the end",
                     riff({{"fmt ", fmt_body(11025, 8, 1)}, {"LIST", {1, 2}, 4000000000u}}), false,
                     false});
    cases.push_back(
        {"a header cut short", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A'}, false, false});
    return cases;
}

// An open file over bytes in memory.
class MemoryFile : public host::InputFile {
public:
    explicit MemoryFile(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t read(uint8_t* buffer, size_t length) override {
        const size_t n = std::min(length, bytes_.size() - pos_);
        if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    bool seek(uint64_t offset) override {
        if (offset > bytes_.size()) return false;
        pos_ = static_cast<size_t>(offset);
        return true;
    }
    uint64_t size() const override { return bytes_.size(); }
    size_t position() const { return pos_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

TEST(WavWalk, FilesAndImages) {
    for (const WalkCase& c : walk_cases()) {
        SCOPED_TRACE(c.what);
        MemoryFile file(c.bytes);
        std::vector<uint8_t> scratch(sound::block_bytes);
        const auto from_file = sound::find_wav_file_data(file, scratch.data(), scratch.size());
        ASSERT_EQ(from_file.has_value(), c.file_found);
        if (from_file) {
            EXPECT_EQ(from_file->format, c.format);
            EXPECT_EQ(from_file->length_bytes, c.data_length);
            // Positioned at the first data byte.
            uint8_t first = 0;
            ASSERT_EQ(file.read(&first, 1), 1u);
            EXPECT_EQ(first, 7);
        }
        const auto from_image = sound::find_wav_image_data(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(from_image.has_value(), c.image_found);
        if (from_image) {
            EXPECT_EQ(from_image->format, c.format);
            EXPECT_EQ(from_image->length_bytes, c.image_length);
            EXPECT_EQ(c.bytes[from_image->offset], 7);
            EXPECT_LE(from_image->offset + from_image->length_bytes, c.bytes.size());
        }
    }
}

TEST(WavWalk, ImagesCutShortAnywhereAreRefusedOrBounded) {
    const std::vector<uint8_t> full =
        riff({{"fmt ", fmt_body(11025, 8, 1)}, {"LIST", {1, 2, 3, 4}}, {"data", data100}});
    for (size_t n = 0; n <= full.size(); ++n) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + n);
        const auto found = sound::find_wav_image_data(cut.data(), cut.size());
        // The data chunk header ends at byte 56.
        EXPECT_EQ(found.has_value(), n >= 56) << n;
        if (found) {
            EXPECT_EQ(found->length_bytes, n - 56);
        }
    }
}

}  // namespace
