// A wave player on the headless host, with a device wrapper that can refuse,
// and builders of RIFF/WAVE bytes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/audio.h"
#include "sound/wave_player.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace testsound {

// Passes everything to the headless device unless told to answer otherwise.
struct WrappedWaveOut : host::WaveOut {
    explicit WrappedWaveOut(host::WaveOut& device) : real(device) {}
    int open(const host::PcmFormat& format) override {
        ++open_calls;
        if (allocated_answers != 0) {
            if (allocated_answers > 0) --allocated_answers;
            return host::mmsyserr_allocated;
        }
        return real.open(format);
    }
    bool is_open() const override { return real.is_open(); }
    int write(uint32_t block_id, const uint8_t* data, size_t length) override {
        if (write_error != 0) return write_error;
        return real.write(block_id, data, length);
    }
    void reset() override { real.reset(); }
    void close() override { real.close(); }

    host::WaveOut& real;
    int allocated_answers = 0;  // -1: always
    int write_error = 0;
    int open_calls = 0;
};

struct Player {
    explicit Player(std::string_view script = "")
        : headless(script),
          device(headless.host().wave_out),
          host{headless.host().messages,     headless.host().clock,
               headless.host().window,       device,
               headless.host().sound_player, headless.host().files,
               headless.host().registry,     headless.host().libraries,
               headless.host().trace,        headless.host().process},
          window(host, "zimbalot"),
          player(host, window),
          dir(testsupport::make_temp_dir("sounds")) {}

    host::headless::HeadlessBackend& backend() { return *headless.backend; }
    std::vector<std::string> events(size_t from = 0) const {
        return headless.backend->events(from);
    }
    size_t mark() const { return headless.backend->events().size(); }
    // The lengths of the blocks written since `from`.
    std::vector<size_t> blocks(size_t from = 0) const {
        std::vector<size_t> out;
        for (const std::string& e : events(from))
            if (e.rfind("wave-block ", 0) == 0) out.push_back(std::stoul(e.substr(11)));
        return out;
    }
    const std::vector<uint8_t>& audio() const { return headless.backend->captured_audio(); }
    std::string add(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir + "/" + name;
        testsupport::write_file(path, bytes);
        return path;
    }

    testsupport::Headless headless;
    WrappedWaveOut device;
    host::Host host;
    textwindow::TextWindow window;
    sound::WavePlayer player;
    std::string dir;
};

inline void put_u16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void put_u32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
    uint32_t stated_length = 0xFFFFFFFF;  // all ones: the body's length
};

inline std::vector<uint8_t> fmt_body(uint32_t rate, uint16_t bits, uint16_t channels,
                                     size_t extra = 0) {
    std::vector<uint8_t> b;
    put_u16(b, 1);
    put_u16(b, channels);
    put_u32(b, rate);
    put_u32(b, rate * channels * (bits / 8));
    put_u16(b, static_cast<uint16_t>(channels * (bits / 8)));
    put_u16(b, bits);
    b.resize(b.size() + extra, 0);
    return b;
}

// "RIFF" + length + "WAVE" and the chunks in order.
inline std::vector<uint8_t> riff(const std::vector<Chunk>& chunks, std::string riff_id = "RIFF") {
    std::vector<uint8_t> out(riff_id.begin(), riff_id.end());
    put_u32(out, 0);
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    for (const Chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        put_u32(out, c.stated_length == 0xFFFFFFFF ? static_cast<uint32_t>(c.body.size())
                                                   : c.stated_length);
        out.insert(out.end(), c.body.begin(), c.body.end());
    }
    return out;
}

// A plain PCM file as fill_wav_header lays it out.
inline std::vector<uint8_t> wav(const std::vector<uint8_t>& data, uint32_t rate = 11025,
                                uint16_t bits = 8, uint16_t channels = 1) {
    std::vector<uint8_t> out(sound::wav_header_bytes);
    sound::fill_wav_header(out.data(), static_cast<uint32_t>(data.size()), rate, bits, channels);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// Recognisable 8-bit data that never holds 128.
inline std::vector<uint8_t> ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i % 120 + 1);
    return v;
}

}  // namespace testsound
