#include "tools/gen/music.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <vector>

namespace gen {
namespace {

constexpr double kRate = kOutputRateHz;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A small generator of our own so that the noise never depends on the C library.
struct Noise {
    uint32_t state;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>((state >> 8) & 0xFFFF) / 32768.0f - 1.0f;
    }
};

enum class Instrument { Bell, Pluck, Brass, Wood, Flute };

bool instrument_named(const std::string& name, Instrument& out) {
    if (name == "sino")
        out = Instrument::Bell;
    else if (name == "tecla")
        out = Instrument::Pluck;
    else if (name == "metais")
        out = Instrument::Brass;
    else if (name == "madeira")
        out = Instrument::Wood;
    else if (name == "flauta")
        out = Instrument::Flute;
    else
        return false;
    return true;
}

// Samples of one note of frequency f held for `held` samples, with its tail.
std::vector<float> voice_note(Instrument inst, double f, size_t held) {
    size_t tail = 0;
    switch (inst) {
        case Instrument::Bell:
            tail = static_cast<size_t>(0.9 * kRate);
            break;
        case Instrument::Pluck:
            tail = static_cast<size_t>(0.35 * kRate);
            break;
        case Instrument::Brass:
            tail = static_cast<size_t>(0.08 * kRate);
            break;
        case Instrument::Wood:
            tail = static_cast<size_t>(0.05 * kRate);
            break;
        case Instrument::Flute:
            tail = static_cast<size_t>(0.06 * kRate);
            break;
    }
    const size_t n = held + tail;
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = i / kRate;
        double v = 0;
        switch (inst) {
            case Instrument::Bell: {
                // Inharmonic partials of a small bell, the high ones dying first.
                const double env = std::exp(-t * 3.2);
                v = env *
                    (std::sin(kTwoPi * f * t) +
                     0.5 * std::exp(-t * 4) * std::sin(kTwoPi * f * 2.76 * t) +
                     0.25 * std::exp(-t * 7) * std::sin(kTwoPi * f * 5.4 * t)) /
                    1.75;
                break;
            }
            case Instrument::Pluck: {
                const double env = std::exp(-t * 6.0);
                v = env *
                    (std::sin(kTwoPi * f * t) + 0.4 * std::sin(kTwoPi * 2 * f * t) +
                     0.2 * std::sin(kTwoPi * 3 * f * t)) /
                    1.6;
                break;
            }
            case Instrument::Brass: {
                const double attack = std::min(1.0, t / 0.04);
                const double vib = 1.0 + 0.004 * std::sin(kTwoPi * 5.5 * t);
                double s = 0;
                for (int h = 1; h <= 8; ++h) s += std::sin(kTwoPi * f * h * vib * t) / h;
                v = attack * s * 0.55;
                break;
            }
            case Instrument::Wood: {
                const double env = std::exp(-t * 45.0);
                v = env * (std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * f * 2.9 * t));
                break;
            }
            case Instrument::Flute: {
                const double attack = std::min(1.0, t / 0.03);
                v = attack * (std::sin(kTwoPi * f * t) + 0.15 * std::sin(kTwoPi * 2 * f * t));
                break;
            }
        }
        // Held instruments release smoothly over their tail.
        if ((inst == Instrument::Brass || inst == Instrument::Flute) && i >= held && tail > 0)
            v *= 1.0 - static_cast<double>(i - held) / tail;
        out[i] = static_cast<float>(v);
    }
    return out;
}

bool render_layer(const std::string& layer, Samples& out, std::string& error) {
    std::istringstream in(layer);
    std::string word;
    if (!(in >> word)) return true;  // an empty layer adds nothing
    Instrument inst{};
    if (!instrument_named(word, inst)) {
        error = "instrumento desconhecido: " + word;
        return false;
    }
    size_t at = 0;
    while (in >> word) {
        const size_t slash = word.find('/');
        if (slash == std::string::npos) {
            error = "nota sem duração: " + word;
            return false;
        }
        const int ms = std::atoi(word.c_str() + slash + 1);
        if (ms <= 0) {
            error = "duração inválida: " + word;
            return false;
        }
        const size_t held = static_cast<size_t>(ms * kRate / 1000);
        const std::string notes = word.substr(0, slash);
        if (notes != "-") {
            std::vector<std::string> chord;
            size_t start = 0;
            while (start <= notes.size()) {
                const size_t plus = notes.find('+', start);
                chord.push_back(notes.substr(
                    start, plus == std::string::npos ? std::string::npos : plus - start));
                if (plus == std::string::npos) break;
                start = plus + 1;
            }
            for (const std::string& note : chord) {
                const double f = note_frequency(note);
                if (f <= 0) {
                    error = "nota inválida: " + note;
                    return false;
                }
                Samples s;
                s.data = voice_note(inst, f, held);
                mix_into(out, s, at, 1.0f / static_cast<float>(chord.size()));
            }
        }
        at += held;
    }
    if (out.data.size() < at) out.data.resize(at, 0.0f);
    return true;
}

}  // namespace

double note_frequency(const std::string& note) {
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    if (note.size() < 2 || note[0] < 'A' || note[0] > 'G') return 0;
    int semitone = kSemitone[note[0] - 'A'];
    size_t i = 1;
    if (note[i] == '#')
        ++semitone, ++i;
    else if (note[i] == 'b')
        --semitone, ++i;
    if (i + 1 != note.size() || note[i] < '0' || note[i] > '8') return 0;
    const int octave = note[i] - '0';
    const int from_a4 = (octave - 4) * 12 + semitone - 9;
    return 440.0 * std::pow(2.0, from_a4 / 12.0);
}

bool render_tune(const std::string& tune, Samples& out, std::string& error) {
    out = Samples{};
    size_t start = 0;
    while (start <= tune.size()) {
        const size_t semi = tune.find(';', start);
        Samples layer;
        if (!render_layer(
                tune.substr(start, semi == std::string::npos ? std::string::npos : semi - start),
                layer, error))
            return false;
        mix_into(out, layer, 0, 1.0f);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    normalise_peak(out, 0.85f);
    fade_edges(out, 40);
    return true;
}

Samples render_applause(int duration_ms, uint32_t seed) {
    Samples out;
    const size_t n = static_cast<size_t>(duration_ms * kRate / 1000);
    out.data.assign(n + static_cast<size_t>(0.05 * kRate), 0.0f);
    Noise noise{seed};
    // About 60 claps a second from a small crowd, each a short burst of
    // band-limited noise with a sharp attack.
    const size_t claps = static_cast<size_t>(duration_ms * 60 / 1000);
    const size_t clap_length = static_cast<size_t>(0.025 * kRate);
    for (size_t c = 0; c < claps; ++c) {
        const size_t at = static_cast<size_t>((noise.next() + 1.0f) * 0.5f * static_cast<float>(n));
        const float position = static_cast<float>(at) / static_cast<float>(n);
        // Swell in the first fifth, fade over the last third.
        const float swell =
            std::min(1.0f, position * 5.0f) * std::min(1.0f, (1.0f - position) * 3.0f);
        const float loud = (0.5f + 0.5f * std::fabs(noise.next())) * swell;
        float low = 0;
        for (size_t i = 0; i < clap_length && at + i < out.data.size(); ++i) {
            const float white = noise.next();
            low += 0.35f * (white - low);  // a gentle low-pass keeps it from hissing
            const float env =
                std::exp(-static_cast<float>(i) / (0.004f * static_cast<float>(kRate)));
            out.data[at + i] += loud * env * (white - 0.6f * low);
        }
    }
    normalise_peak(out, 0.8f);
    fade_edges(out, 200);
    return out;
}

}  // namespace gen
