// The in-memory header, the piece sizes of a file's data, and the RIFF/WAVE
// walk over files and images.
#include "sound/wav_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sound_support.h"

namespace {

using namespace testsound;

TEST(FillWavHeader, EveryFieldFollowsTheFormat) {
    std::vector<uint8_t> h(sound::wav_header_bytes, 0xAA);
    sound::fill_wav_header(h.data(), 7, 22050, 16, 2);
    std::vector<uint8_t> expected = {'R', 'I', 'F', 'F'};
    put32(expected, 43);
    expected.insert(expected.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0});
    put16(expected, 2), put32(expected, 22050), put32(expected, 88200);
    put16(expected, 4), put16(expected, 16);  // block align: 2 channels of 2 bytes
    expected.insert(expected.end(), {'d', 'a', 't', 'a', 7, 0, 0, 0});
    EXPECT_EQ(h, expected);
}

TEST(WavPieces, LastPieceIsNeverShorterThan256Bytes) {
    const std::pair<uint32_t, std::vector<uint32_t>> cases[] = {
        {100000, {65534, 34466}}, {70000, {65534, 4466}},
        {65700, {65278, 422}},    {131100, {65534, 65278, 288}},
        {65535, {65278, 257}},    {65790, {65534, 256}},
        {65534, {65534}},         {300, {300}}};
    for (const auto& [length, expected] : cases) {
        std::vector<uint32_t> pieces;
        for (uint32_t remaining = length, piece = length; remaining > 0; remaining -= piece)
            pieces.push_back(piece = sound::next_wav_piece(remaining, piece));
        EXPECT_EQ(pieces, expected) << length;
    }
}

class MemoryFile : public host::InputFile {
public:
    explicit MemoryFile(const std::vector<uint8_t>& b) : bytes(b) {}
    size_t read(uint8_t* out, size_t n) override {
        n = std::min(n, bytes.size() - pos);
        std::memcpy(out, bytes.data() + pos, n);
        pos += n;
        return n;
    }
    bool seek(uint64_t at) override { return at <= bytes.size() && (pos = size_t(at), true); }
    uint64_t size() const override { return bytes.size(); }
    const std::vector<uint8_t>& bytes;
    size_t pos = 0;
};

TEST(WavWalk, FilesAndImages) {
    const std::vector<uint8_t> d(100, 7);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool in_file, in_image;
        uint32_t file_length = 100;
        size_t image_length = 100;
    };
    std::vector<uint8_t> fmt18 = fmt(16000, 16, 1);
    fmt18.resize(18);
    const Case cases[] = {
        {"lower-case identifiers", riff({{"FMT ", fmt(22050, 16, 2)}, {"Data", d}}, "riff"), true,
         true},
        {"an 18-byte format chunk, chunks before the data",
         riff({{"fmt ", fmt18},
               {"LIST", std::vector<uint8_t>(30, 1)},
               {"fact", {1, 0, 0, 0}},
               {"data", d}}),
         true, true},
        {"data longer than what follows", riff({{"fmt ", fmt(11025, 8, 1)}, {"data", d, 5000}}),
         true, true, 5000, 100},
        // Files skip chunks through the 65534-byte scratch buffer; images need not.
        {"a chunk beyond the scratch buffer",
         riff({{"fmt ", fmt(11025, 8, 1)}, {"LIST", std::vector<uint8_t>(65535, 1)}, {"data", d}}),
         false, true},
        {"no data chunk", riff({{"fmt ", fmt(11025, 8, 1)}, {"LIST", {1, 2}}}), false, false},
        {"not RIFF", riff({{"fmt ", fmt(11025, 8, 1)}, {"data", d}}, "RIFX"), false, false},
        {"no format chunk at 12", riff({{"data", d}, {"fmt ", fmt(11025, 8, 1)}}), false, false},
        {"a format chunk too short for its fields", riff({{"fmt ", {1, 0, 1, 0}}, {"data", d}}),
         false, false},
        {"a chunk length past the end",
         riff({{"fmt ", fmt(11025, 8, 1)}, {"LIST", {1}, 4000000000}}), false, false},
    };
    std::vector<uint8_t> scratch(sound::block_bytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFile file(c.bytes);
        const auto f = sound::find_wav_file_data(file, scratch.data(), scratch.size());
        ASSERT_EQ(f.has_value(), c.in_file);
        if (f) {
            EXPECT_EQ(f->length_bytes, c.file_length);
            EXPECT_EQ(c.bytes[file.pos], 7);  // positioned at the data
        }
        const auto i = sound::find_wav_image_data(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(i.has_value(), c.in_image);
        if (i) {
            EXPECT_EQ(i->length_bytes, c.image_length);
            EXPECT_EQ(c.bytes[i->offset], 7);
        }
    }
    const std::vector<uint8_t> full = riff({{"fmt ", fmt(11025, 8, 1)}, {"data", d}});
    for (size_t n = 0; n <= full.size(); ++n) {  // an image cut anywhere
        const auto i = sound::find_wav_image_data(full.data(), n);
        EXPECT_EQ(i ? int(i->length_bytes) : -1, n >= 44 ? int(n) - 44 : -1) << n;
    }
}

}  // namespace
