#include "tools/gen/audio.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/riff.h"

namespace gen {

Samples resample(const Samples& in, int rate_hz) {
    Samples out;
    out.rate_hz = rate_hz;
    if (in.data.empty() || in.rate_hz == rate_hz) {
        out.data = in.data;
        return out;
    }
    const double ratio = static_cast<double>(rate_hz) / in.rate_hz;
    out.data.resize(static_cast<size_t>(std::ceil(in.data.size() * ratio)) + 64);
    SRC_DATA job{};
    job.data_in = in.data.data();
    job.input_frames = static_cast<long>(in.data.size());
    job.data_out = out.data.data();
    job.output_frames = static_cast<long>(out.data.size());
    job.src_ratio = ratio;
    if (src_simple(&job, SRC_SINC_BEST_QUALITY, 1) != 0) {
        out.data.clear();
        return out;
    }
    out.data.resize(static_cast<size_t>(job.output_frames_gen));
    return out;
}

void trim_silence(Samples& s, float threshold, size_t keep_lead, size_t keep_tail) {
    auto loud = [&](float v) { return std::fabs(v) >= threshold; };
    const auto first = std::find_if(s.data.begin(), s.data.end(), loud);
    if (first == s.data.end()) {
        s.data.clear();
        return;
    }
    const auto last = std::find_if(s.data.rbegin(), s.data.rend(), loud).base();
    size_t begin = static_cast<size_t>(first - s.data.begin());
    size_t end = static_cast<size_t>(last - s.data.begin());
    begin = begin > keep_lead ? begin - keep_lead : 0;
    end = std::min(s.data.size(), end + keep_tail);
    s.data = std::vector<float>(s.data.begin() + static_cast<long>(begin),
                                s.data.begin() + static_cast<long>(end));
}

void fade_edges(Samples& s, size_t length) {
    const size_t n = std::min(length, s.data.size() / 2);
    for (size_t i = 0; i < n; ++i) {
        const float g = static_cast<float>(i) / static_cast<float>(n);
        s.data[i] *= g;
        s.data[s.data.size() - 1 - i] *= g;
    }
}

void normalise_peak(Samples& s, float peak) {
    float top = 0;
    for (float v : s.data) top = std::max(top, std::fabs(v));
    if (top <= 0) return;
    const float g = peak / top;
    for (float& v : s.data) v *= g;
}

void append_silence_ms(Samples& s, int ms) {
    s.data.insert(s.data.end(), static_cast<size_t>(s.rate_hz) * ms / 1000, 0.0f);
}

void append(Samples& to, const Samples& from) {
    to.data.insert(to.data.end(), from.data.begin(), from.data.end());
}

void mix_into(Samples& to, const Samples& from, size_t at, float gain) {
    if (to.data.size() < at + from.data.size()) to.data.resize(at + from.data.size(), 0.0f);
    for (size_t i = 0; i < from.data.size(); ++i) to.data[at + i] += gain * from.data[i];
}

std::vector<uint8_t> to_u8(const Samples& s) {
    std::vector<uint8_t> out(s.data.size());
    for (size_t i = 0; i < s.data.size(); ++i) {
        const long v = std::lround(128.0 + 127.0 * std::clamp(s.data[i], -1.0f, 1.0f));
        out[i] = static_cast<uint8_t>(std::clamp(v, 0L, 255L));
    }
    return out;
}

std::vector<uint8_t> wav8_image(const std::vector<uint8_t>& pcm, int rate_hz) {
    std::vector<uint8_t> b(host::riff::wav_header_bytes);
    host::riff::put_wav_header(b.data(), host::PcmFormat{static_cast<uint32_t>(rate_hz), 8, 1},
                               static_cast<uint32_t>(pcm.size()));
    b.insert(b.end(), pcm.begin(), pcm.end());
    return b;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool write_text_file(const std::string& path, const std::string& text) {
    return write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool read_text_file(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

}  // namespace gen
