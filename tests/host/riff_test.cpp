// Every reader of WAV data finds the sound after an odd-sized chunk, whether
// the file carries RIFF's pad byte there or leaves it out.
#include "host/riff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diphone/bank.h"
#include "host/native.h"
#include "sound/wav_reader.h"
#include "sound/wave_player.h"
#include "support.h"

namespace {

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

// A chunk; pad >= 0 appends that byte after an odd body.
struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
    int pad = -1;
};

std::vector<uint8_t> riff(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        put32(out, uint32_t(c.body.size()));
        out.insert(out.end(), c.body.begin(), c.body.end());
        if (c.pad >= 0) out.push_back(uint8_t(c.pad));
    }
    return out;
}

// 11025 Hz, mono, 8 bits; `extra` bytes past the 16 fields make it odd-sized.
std::vector<uint8_t> format_chunk(size_t extra = 0) {
    std::vector<uint8_t> f = {1, 0, 1, 0};
    put32(f, 11025), put32(f, 11025);
    f.insert(f.end(), {1, 0, 8, 0});
    f.resize(16 + extra, 0);
    return f;
}

struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t data_bytes;
};

std::vector<Case> cases() {
    const std::vector<uint8_t> data(1103, 200);  // 0x44F: its length begins with 'O'
    const std::vector<uint8_t> even(1102, 200);  // 0x44E: 'N'
    const std::vector<uint8_t> list(7, 'x');
    return {
        {"odd LIST chunk with its pad byte",
         riff({{"fmt ", format_chunk()}, {"LIST", list, 0}, {"data", data}}), data.size()},
        {"odd LIST chunk without it",
         riff({{"fmt ", format_chunk()}, {"LIST", list}, {"data", data}}), data.size()},
        {"pad byte, and an identifier one byte on would also read as one",
         riff({{"fmt ", format_chunk()},
               {"LIST", list, 0},
               {"fact", {1, 2, 3, 'd'}},
               {"data", even}}),
         even.size()},
        {"odd format chunk with its pad byte", riff({{"fmt ", format_chunk(3), 0}, {"data", data}}),
         data.size()},
        {"odd format chunk without it", riff({{"fmt ", format_chunk(3)}, {"data", data}}),
         data.size()},
        {"two odd chunks, padded and not",
         riff({{"fmt ", format_chunk(1), 0}, {"LIST", list}, {"data", data}}), data.size()},
    };
}

class MemoryFile : public host::InputFile {
public:
    explicit MemoryFile(const std::vector<uint8_t>& b) : bytes(b) {}
    size_t read(uint8_t* out, size_t n) override {
        n = std::min(n, bytes.size() - pos);
        std::copy_n(bytes.begin() + long(pos), n, out);
        pos += n;
        return n;
    }
    bool seek(uint64_t at) override { return at <= bytes.size() && (pos = size_t(at), true); }
    uint64_t size() const override { return bytes.size(); }
    const std::vector<uint8_t>& bytes;
    size_t pos = 0;
};

TEST(RiffPadding, EveryReaderFindsTheData) {
    const std::string dir = testsupport::make_temp_dir("riff");
    host::native::Files files;
    std::vector<uint8_t> scratch(sound::block_bytes);
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        const size_t data_at = c.bytes.size() - c.data_bytes;

        const auto image = sound::find_wav_image_data(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->offset, data_at);
        EXPECT_EQ(image->length_bytes, c.data_bytes);

        MemoryFile file(c.bytes);
        const auto streamed = sound::find_wav_file_data(file, scratch.data(), scratch.size());
        ASSERT_TRUE(streamed);
        EXPECT_EQ(streamed->length_bytes, c.data_bytes);
        EXPECT_EQ(file.pos, data_at);

        MemoryFile letter(c.bytes);
        const diphone::WavDataChunk chunk = diphone::find_wav_data(letter);
        ASSERT_TRUE(chunk.found);
        EXPECT_EQ(chunk.offset, data_at);

        const std::string path = dir + "/sound.wav";
        testsupport::write_file(path, c.bytes);
        EXPECT_EQ(host::common::wav_file_duration_ms(files, path), c.data_bytes * 1000 / 11025);
    }
}

// Where the readers part: each keeps its own tolerance as a policy of the one
// walk. Per layout: player file (small buffer), player image, letter sound,
// any-layout image, duration (ms).
TEST(RiffWalk, EachReaderKeepsItsOwnTolerance) {
    const std::vector<uint8_t> data(1102, 200);
    const std::vector<uint8_t> big(300, 'x');
    const std::vector<uint8_t> short_format = {1, 0,    1,    0, 0x11, 0x2B, 0,
                                               0, 0x11, 0x2B, 0, 0,    1,    0};
    std::vector<uint8_t> cut = riff({{"fmt ", format_chunk()}, {"data", data}});
    cut.resize(cut.size() - 102);  // the data chunk says more than the file holds
    std::vector<uint8_t> overlong =
        riff({{"fmt ", format_chunk()}, {"LIST", {1, 2, 3, 4}}, {"data", data}});
    overlong[12 + 8 + 16 + 7] = 0xFF;  // the LIST chunk claims more than follows it
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool file, image, letter, any;
        uint32_t duration_ms;
    } cases[] = {
        {"data before the format",
         riff({{"data", {1, 2}}, {"fmt ", format_chunk()}, {"data", data}}), false, false, false,
         true, 99},
        {"a format chunk too short for its fields", riff({{"fmt ", short_format}, {"data", data}}),
         false, false, true, false, 0},
        {"a chunk larger than the player's buffer",
         riff({{"fmt ", format_chunk()}, {"LIST", big}, {"data", data}}), false, true, true, true,
         99},
        {"data cut short by the end of the file", cut, true, true, true, true, 90},
        {"a chunk on the way longer than the file", overlong, false, false, false, false, 0},
    };
    const std::string dir = testsupport::make_temp_dir("riff-walk");
    host::native::Files files;
    std::vector<uint8_t> scratch(256);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t>& bytes = c.bytes;
        MemoryFile file(bytes);
        EXPECT_EQ(bool(sound::find_wav_file_data(file, scratch.data(), scratch.size())), c.file);
        EXPECT_EQ(bool(sound::find_wav_image_data(bytes.data(), bytes.size())), c.image);
        MemoryFile letter(bytes);
        EXPECT_EQ(diphone::find_wav_data(letter).found, c.letter);
        EXPECT_EQ(bool(host::riff::find_wave_sound(bytes.data(), bytes.size())), c.any);
        testsupport::write_file(dir + "/s.wav", bytes);
        EXPECT_EQ(host::common::wav_file_duration_ms(files, dir + "/s.wav"), c.duration_ms);
    }
    // Declared and held lengths of the cut file, as each reader reports them.
    MemoryFile file(cut);
    EXPECT_EQ(sound::find_wav_file_data(file, scratch.data(), scratch.size())->length_bytes, 1102u);
    EXPECT_EQ(sound::find_wav_image_data(cut.data(), cut.size())->length_bytes, 1000u);
}

TEST(WavHeader, FieldsFollowTheFormatAndTheWalkReadsThemBack) {
    const struct {
        host::PcmFormat format;
        uint32_t data_bytes;
        uint32_t riff_size;
        uint16_t block_align;
    } cases[] = {
        {{11025, 8, 1}, 256, 292, 1},
        {{22050, 16, 2}, 7, 43, 4},
        {{16000, 16, 1}, 0xFFFFFFFFu, 0xFFFFFFFFu, 2},  // "unknown length" stays all ones
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> h(host::riff::wav_header_bytes + 16, 0xAA);
        host::riff::put_wav_header(h.data(), c.format, c.data_bytes);
        EXPECT_EQ(host::riff::le32(h.data() + 4), c.riff_size);
        EXPECT_EQ(host::riff::le16(h.data() + 32), c.block_align);
        EXPECT_EQ(host::riff::le32(h.data() + 28), c.format.rate_hz * c.block_align);
        EXPECT_EQ(h[44], 0xAA);  // nothing written past the header
        const auto layout = host::riff::walk_wave(h.data(), h.size());
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->format, c.format);
        EXPECT_EQ(layout->data_offset, 44u);
        EXPECT_EQ(layout->data_declared, c.data_bytes);
        EXPECT_EQ(layout->data_available, std::min<uint64_t>(c.data_bytes, 16));
    }
}

TEST(RiffPadding, PadDecision) {
    const uint8_t zero_pad[] = {0, 'd', 'a', 't', 'a'};
    const uint8_t no_pad[] = {'d', 'a', 't', 'a', 4};
    EXPECT_EQ(host::riff::pad_after(7, zero_pad, 5), 1u);
    EXPECT_EQ(host::riff::pad_after(7, no_pad, 5), 0u);
    EXPECT_EQ(host::riff::pad_after(8, zero_pad, 5), 0u);  // even: no pad
    EXPECT_EQ(host::riff::pad_after(7, no_pad, 2), 1u);    // the end of the file
}

}  // namespace
