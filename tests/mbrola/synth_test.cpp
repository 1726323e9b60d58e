// The in-process synthesizer over the voice database the data set generates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "mbrola/lines.h"
#include "mbrola/psola.h"
#include "mbrola/session.h"

namespace {

const std::string kVoice = std::string(ZIMBALOT_DATA_SET) + "/mbrola/br4/br4";

std::vector<int16_t> speak(const std::string& lines, bool stream = false) {
    mbrola::Session s;
    EXPECT_EQ(s.init(kVoice.c_str()), 0) << s.last_error_text();
    std::vector<int16_t> out;
    int16_t buffer[512];
    int n = 0;
    if (stream) {
        // One line at a time, taking what is ready after each.
        size_t start = 0;
        while (start < lines.size()) {
            const size_t end = lines.find('\n', start);
            const std::string line = lines.substr(start, end - start) + "\n";
            EXPECT_GE(s.write(const_cast<char*>(line.c_str())), 0) << s.last_error_text();
            while ((n = s.read(buffer, 512)) > 0) out.insert(out.end(), buffer, buffer + n);
            start = end == std::string::npos ? lines.size() : end + 1;
        }
    } else {
        EXPECT_GE(s.write(const_cast<char*>(lines.c_str())), 0) << s.last_error_text();
    }
    s.flush();
    while ((n = s.read(buffer, 512)) > 0) out.insert(out.end(), buffer, buffer + n);
    return out;
}

// Fundamental frequency of a stretch: the first clear dip of the cumulative
// mean normalised difference (the YIN method), refined by a parabola.
double measure_pitch(const std::vector<int16_t>& x, size_t from, size_t to) {
    const int min_lag = 16000 / 400, max_lag = 16000 / 60;
    std::vector<double> d(max_lag + 2, 1.0);
    double running = 0;
    for (int lag = 1; lag <= max_lag + 1; ++lag) {
        double sum = 0;
        for (size_t i = from; i + lag < to; ++i) sum += std::pow(double(x[i]) - x[i + lag], 2);
        running += sum;
        d[lag] = running > 0 ? sum * lag / running : 1.0;
    }
    int best = static_cast<int>(std::min_element(d.begin() + min_lag, d.begin() + max_lag + 1) -
                                d.begin());
    for (int lag = min_lag; lag <= max_lag; ++lag)
        if (d[lag] < 0.2) {
            while (lag < max_lag && d[lag + 1] < d[lag]) ++lag;
            best = lag;
            break;
        }
    const double a = d[best - 1], b = d[best], c = d[best + 1];
    const double shift = (a - 2 * b + c) != 0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0;
    return 16000.0 / (best + shift);
}

uint64_t fnv1a(const std::vector<int16_t>& samples) {
    uint64_t h = 1469598103934665603ull;
    for (int16_t s : samples)
        for (int k = 0; k < 2; ++k) {
            h ^= (static_cast<uint16_t>(s) >> (8 * k)) & 0xFF;
            h *= 1099511628211ull;
        }
    return h;
}

// Largest second difference relative to its neighbourhood (5 ms each side):
// a step or a kink stands out of the waveform's own curvature.
double worst_click(const std::vector<int16_t>& x) {
    const size_t w = 80;
    std::vector<double> d2(x.size(), 0);
    for (size_t n = 2; n < x.size(); ++n) d2[n] = double(x[n]) - 2.0 * x[n - 1] + x[n - 2];
    double worst = 0;
    for (size_t n = w + 2; n + w < x.size(); ++n) {
        if (std::fabs(d2[n]) < 300) continue;
        double e = 0;
        // The neighbourhood leaves out the spike itself.
        for (size_t k = n - w; k < n + w; ++k)
            if (k + 2 < n || k > n + 2) e += d2[k] * d2[k];
        worst = std::max(worst, std::fabs(d2[n]) / std::sqrt(e / (2 * w - 5)));
    }
    return worst;
}

// Five sentences as VEDRA writes them: durations in ms, pitch targets in %/Hz.
const char* const kSentences[] = {
    // "a casa é bonita."
    "_ 50\na 90 50 120\nk 70\na 110 50 130\nz 60\na 80 50 110\nE 120 50 125\nb 60\no 80 50 118\n"
    "n 60\ni 110 50 128\nt 70\na 120 0 110 100 90\n_ 200\n",
    // "você quer água?"
    "_ 50\nv 60\no 70 50 115\ns 90\ne 130 50 120\nk 70\nE 110 50 118\nr2 50\na 150 0 120 100 170\n"
    "g 50\nw 50\na 140 0 170 100 190\n_ 200\n",
    // "meu pai chegou!"
    "_ 50\nm 60\ne 90 50 130\nw 60\np 80\na 150 50 140\ny 60\nS 100\ne 70 50 125\ng 60\n"
    "o 130 50 150\nw 80 100 110\n_ 200\n",
    // "um, dois, três."
    "_ 50\nu~ 180 0 120 100 135\n_ 150\nd 50\no 130 50 128\ny 50\ns2 90\n_ 150\nt 60\nr 40\n"
    "e 150 0 125 100 95\ny 50\ns2 110\n_ 200\n",
    // "o filho da tia lhe deu pão."
    "_ 50\nu 60 50 110\nf 90\ni 100 50 120\nL 80\nu 70 50 112\nd 50\na 80 50 118\ntS 100\n"
    "i 110 50 125\na 90 50 115\nL 70\ni 60 50 110\ndZ 80\ne 90 50 118\nw 50\np 80\n"
    "a~ 160 50 120\nw 80 100 90\n_ 200\n",
};

TEST(Synthesis, EveryLineGetsItsDurationToTheSample) {
    for (double ms : {0.0, 1.0, 7.3, 62.5, 123.4, 1000.0}) {
        for (const char* symbol : {"a", "s", "t", "_", "u~"}) {
            SCOPED_TRACE(std::string(symbol) + " " + std::to_string(ms));
            const std::string lines = "_ 20\n" + std::string(symbol) + " " + std::to_string(ms) +
                                      " 50 120\nm 33.3\n_ 20\n";
            const double expected = (20 + ms + 33.3 + 20) * 16;
            EXPECT_LE(std::fabs(double(speak(lines).size()) - expected), 1.0);
        }
    }
}

TEST(Synthesis, StreamedLinesGiveTheSameSamplesAsOneWrite) {
    for (const char* sentence : kSentences) EXPECT_EQ(speak(sentence, true), speak(sentence));
}

TEST(Synthesis, SustainedVowelsTakeTheTargetPitch) {
    for (const char* vowel : {"a", "e", "i", "o", "u", "E", "O", "a~"}) {
        for (int hz : {80, 100, 120, 150, 190, 240}) {
            SCOPED_TRACE(std::string(vowel) + " " + std::to_string(hz));
            const std::string f = std::to_string(hz);
            const auto out =
                speak("_ 50\n" + std::string(vowel) + " 600 0 " + f + " 100 " + f + "\n_ 50\n");
            // The vowel's middle 400 ms.
            const double measured = measure_pitch(out, 16 * 150, 16 * 550);
            EXPECT_NEAR(measured, hz, 0.03 * hz);
        }
    }
    // A glide between two targets passes through their mean.
    const auto out = speak("_ 50\na 600 0 100 100 200\n_ 50\n");
    EXPECT_NEAR(measure_pitch(out, 16 * 320, 16 * 380), 150, 4.5);
}

TEST(Synthesis, NoClickAtTheJoins) {
    // The five sentences stay below 12 (bursts included). A grain cut short at
    // the edge of its diphone once gave 50, a step of 500 on a 150 Hz tone 25.
    constexpr double kThreshold = 12.0;
    for (const char* sentence : kSentences) EXPECT_LT(worst_click(speak(sentence)), kThreshold);
    std::vector<int16_t> tone(1600);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 150 * i / 16000.0) +
                                       (i >= 800 ? 500 : 0));
    EXPECT_GT(worst_click(tone), kThreshold);
}

// A voice of one vowel, periodic at 125 Hz (128 samples) with its peaks
// marked, each diphone cut so that its first peak lies `first_mark` into it.
mbrola::Database pulse_voice(uint32_t first_mark) {
    mbrola::Database db;
    db.rate_hz = 16000;
    db.recorded_pitch_hz = 125;
    db.phonemes = {"_", "a"};
    for (uint16_t l = 0; l < 2; ++l)
        for (uint16_t r = 0; r < 2; ++r) {
            mbrola::Diphone d;
            d.left = l;
            d.right = r;
            d.first_sample = static_cast<uint32_t>(db.samples.size());
            d.sample_count = 1600;
            d.boundary = 800;
            d.first_mark = static_cast<uint32_t>(db.marks.size());
            for (uint32_t at = first_mark; at < d.sample_count; at += 128)
                db.marks.push_back({at, l + r > 0});
            d.mark_count = static_cast<uint32_t>(db.marks.size()) - d.first_mark;
            for (uint32_t i = 0; i < d.sample_count; ++i) {
                const double phase = 2 * 3.14159265 * (double(i) - first_mark) / 128;
                const double v =
                    4000 * (std::cos(phase) + std::cos(2 * phase) + std::cos(3 * phase));
                db.samples.push_back(static_cast<int16_t>(l + r > 0 ? v : 0));
            }
            db.diphones.push_back(d);
        }
    db.build_lookup();
    return db;
}

TEST(Synthesis, MarksAtTheVeryEdgeOfADiphoneGiveNoClick) {
    // A pulse at the first sample of a diphone has no room for the left half
    // of its window; taken as it is, it starts abruptly.
    for (uint32_t first_mark : {2u, 64u}) {
        const mbrola::Database db = pulse_voice(first_mark);
        mbrola::Synthesizer synth(db);
        std::string error;
        for (const char* line : {"_ 50", "a 300 0 110 100 140", "a 300", "_ 50"})
            ASSERT_TRUE(synth.add(mbrola::parse_line(line).phone, error)) << error;
        synth.flush();
        std::vector<int16_t> out(synth.available());
        synth.read(out.data(), out.size());
        // Only the vowel's inside: its onset and end are meant to be sudden.
        const std::vector<int16_t> inside(out.begin() + 1600, out.end() - 1600);
        EXPECT_LT(worst_click(inside), 12.0) << "first mark at " << first_mark;
    }
}

TEST(Synthesis, GoldenSamples) {
    // Regenerate when the voice database or the synthesis changes on purpose.
    const uint64_t expected[] = {6426444066248666349ull, 13801387256325011736ull,
                                 17592820857667406276ull, 16604988816884179845ull,
                                 8268083037858897676ull};
    for (size_t i = 0; i < std::size(kSentences); ++i) {
        const auto out = speak(kSentences[i]);
        EXPECT_EQ(fnv1a(out), expected[i]) << "sentence " << i << ": " << out.size() << " samples";
    }
}

TEST(Synthesis, UnknownPhonemesAndMissingPairsFollowTheNoErrorSetting) {
    mbrola::Session s;
    ASSERT_EQ(s.init(kVoice.c_str()), 0);
    EXPECT_LT(s.write(const_cast<char*>("_ 10\nxx 50\n")), 0);
    EXPECT_NE(s.last_error_text().find("unknown phoneme \"xx\""), std::string::npos);
    s.reset();
    EXPECT_EQ(s.last_error(), 0);
    s.set_no_error(true);
    EXPECT_GT(s.write(const_cast<char*>("_ 10\nxx 50\na 50 50 150\n")), 0);
    EXPECT_EQ(s.flush(), 1);
    int16_t buffer[2000];
    EXPECT_EQ(s.read(buffer, 2000), 16 * 110);  // the unknown phoneme is a pause
    // Malformed lines are errors whatever the setting.
    EXPECT_LT(s.write(const_cast<char*>("a -4\n")), 0);
    EXPECT_EQ(s.last_error(), mbrola::kErrorInput);
}

TEST(Synthesis, RateAndVolumeSettings) {
    mbrola::Session s;
    ASSERT_EQ(s.init(kVoice.c_str()), 0);
    EXPECT_EQ(s.rate_hz(), 16000);
    s.set_rate_hz(22050);
    s.write(const_cast<char*>("a 100 50 120\n"));
    s.flush();
    std::vector<int16_t> buffer(4000);
    EXPECT_EQ(s.read(buffer.data(), 4000), 2205);  // the duration holds at the new rate
    s.set_volume(0.0f);
    s.set_rate_hz(16000);
    s.write(const_cast<char*>("a 100 50 120\n#\n"));
    EXPECT_EQ(s.read(buffer.data(), 4000), 1600);
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.begin() + 1600, [](int16_t v) { return v == 0; }));
}

}  // namespace
