// Every reader of WAV data finds the sound after an odd-sized chunk, whether
// the file carries RIFF's pad byte there or leaves it out.
#include "host/riff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diphone/bank.h"
#include "host/common/posix_files.h"
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
    host::common::PosixFiles files;
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

TEST(RiffPadding, PadDecision) {
    const uint8_t zero_pad[] = {0, 'd', 'a', 't', 'a'};
    const uint8_t no_pad[] = {'d', 'a', 't', 'a', 4};
    EXPECT_EQ(host::riff::pad_after(7, zero_pad, 5), 1u);
    EXPECT_EQ(host::riff::pad_after(7, no_pad, 5), 0u);
    EXPECT_EQ(host::riff::pad_after(8, zero_pad, 5), 0u);  // even: no pad
    EXPECT_EQ(host::riff::pad_after(7, no_pad, 2), 1u);    // the end of the file
}

}  // namespace
