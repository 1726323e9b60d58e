// A wave player on the headless host behind a device wrapper that can refuse,
// and RIFF/WAVE bytes for the tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sound/wave_player.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace testsound {

struct WrappedWaveOut : host::WaveOut {
    explicit WrappedWaveOut(host::WaveOut& device) : real(device) {}
    int open(const host::PcmFormat& format) override {
        ++open_calls;
        if (allocated_answers == 0) return real.open(format);
        if (allocated_answers > 0) --allocated_answers;
        return host::mmsyserr_allocated;
    }
    bool is_open() const override { return real.is_open(); }
    int write(uint32_t id, const uint8_t* data, size_t n) override {
        return write_error ? write_error : real.write(id, data, n);
    }
    void reset() override { real.reset(); }
    void close() override { real.close(); }

    host::WaveOut& real;
    int allocated_answers = 0;  // -1: always
    int write_error = 0;
    int open_calls = 0;
};

struct Player {
    explicit Player(std::string_view script = "") : headless(script) {}
    host::Host& h() { return headless.host(); }
    std::vector<std::string> events() const { return headless.backend->events(); }
    std::vector<size_t> blocks() const {
        std::vector<size_t> out;
        for (const std::string& e : events())
            if (e.rfind("wave-block ", 0) == 0) out.push_back(std::stoul(e.substr(11)));
        return out;
    }
    const std::vector<uint8_t>& audio() const { return headless.backend->captured_audio(); }
    uint64_t now() const { return headless.backend->now_ms(); }
    std::string add(const std::vector<uint8_t>& bytes) {
        const std::string path = dir + "/s" + std::to_string(++files) + ".wav";
        testsupport::write_file(path, bytes);
        return path;
    }
    void wait() {
        while (player.wav_busy()) window.wait_message();
    }

    testsupport::Headless headless;
    WrappedWaveOut device{h().wave_out};
    host::Host host{h().messages, h().clock,    h().window,    device,    h().sound_player,
                    h().files,    h().registry, h().libraries, h().trace, h().process};
    textwindow::TextWindow window{host, "zimbalot"};
    sound::WavePlayer player{host, window};
    std::string dir = testsupport::make_temp_dir("sounds");
    int files = 0;
};

inline void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8)});
}
inline void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

inline std::vector<uint8_t> fmt(uint32_t rate, uint16_t bits, uint16_t channels) {
    std::vector<uint8_t> b;
    put16(b, 1), put16(b, channels), put32(b, rate), put32(b, rate * channels * bits / 8);
    put16(b, channels * bits / 8), put16(b, bits);
    return b;
}

struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
    int64_t stated = -1;  // the length written, when not the body's
};

inline std::vector<uint8_t> riff(const std::vector<Chunk>& chunks, std::string id = "RIFF") {
    std::vector<uint8_t> out(id.begin(), id.end());
    put32(out, 0);
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    for (const Chunk& c : chunks) {
        out.insert(out.end(), c.id.begin(), c.id.end());
        put32(out, c.stated >= 0 ? uint32_t(c.stated) : uint32_t(c.body.size()));
        out.insert(out.end(), c.body.begin(), c.body.end());
    }
    return out;
}

inline std::vector<uint8_t> wav(const std::vector<uint8_t>& data, uint32_t rate = 11025,
                                uint16_t bits = 8, uint16_t channels = 1) {
    return riff({{"fmt ", fmt(rate, bits, channels)}, {"data", data}});
}

// Recognisable 8-bit data that never holds 128.
inline std::vector<uint8_t> ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i % 120 + 1);
    return v;
}

}  // namespace testsound
