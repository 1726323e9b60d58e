// Helpers for the diphone tests: a synthesizer folder set with its own
// KORALU.INI, tiny banks whose units are recognisable by their byte values,
// and recording stand-ins for the speech output and the unit player.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "diphone/bank.h"
#include "diphone/diphone_synth.h"
#include "diphone/speaker.h"
#include "host/native.h"
#include "support.h"

namespace diphone_test {

// Keeps every image handed over for playing.
struct RecordingOutput : diphone::SpeechOutput {
    std::vector<std::vector<uint8_t>> images;
    void play_image_and_wait(const uint8_t* image, size_t length) override {
        images.emplace_back(image, image + length);
    }
    // The samples of all images, headers left out.
    std::vector<uint8_t> samples() const {
        std::vector<uint8_t> out;
        for (const auto& image : images) out.insert(out.end(), image.begin() + 44, image.end());
        return out;
    }
};

// A unit player that logs each call as text and finds only `available`.
struct RecordingPlayer : diphone::UnitPlayer {
    std::set<std::string> available;
    std::vector<std::string> log;
    void begin_utterance() override { log.push_back("begin"); }
    bool play_unit(std::string_view name, diphone::StressMode mode, double factor) override {
        const bool found = available.count(std::string(name)) > 0;
        log.push_back(describe(name, mode, factor, found));
        return found;
    }
    bool play_letter_sound(std::string_view name) override {
        const bool found = available.count(std::string(name)) > 0;
        log.push_back(std::string("letter ") + std::string(name) + (found ? "" : " missing"));
        return found;
    }
    void append_silence(int samples) override {
        log.push_back("silence " + std::to_string(samples));
    }
    void append_noise() override { log.push_back("noise"); }
    void flush_speech() override { log.push_back("flush"); }

    static std::string describe(std::string_view name, diphone::StressMode mode, double factor,
                                bool found) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "unit %.*s %d %.3g%s", static_cast<int>(name.size()),
                      name.data(), static_cast<int>(mode), factor, found ? "" : " missing");
        return buffer;
    }
};

// The data of a test unit: `length` bytes all of `value`.
inline std::vector<uint8_t> filled(size_t length, uint8_t value) {
    return std::vector<uint8_t>(length, value);
}

// A RIFF/WAVE letter sound with optional extra chunks between "fmt " and "data".
std::vector<uint8_t> make_wav(const std::vector<uint8_t>& samples,
                              const std::vector<std::string>& extra_chunks = {},
                              const std::string& data_id = "data");

// Temporary letters and diphone folders named by a KORALU.INI in a temporary
// Windows folder (give it to the Files as its one configuration folder).
struct SynthFolders {
    SynthFolders();
    std::string root;
    std::string windows;
    std::string letters;
    std::string diphones;

    void write_ini(const std::string& body);
    void write_rules(const std::string& text);
    void write_exceptions(const std::string& text);
    // Writes name.IND (records sorted by name) and name.DIF (units in order).
    void write_bank(const std::string& name,
                    const std::map<std::string, std::vector<uint8_t>>& units);
    void write_letter_sound(int code, const std::vector<uint8_t>& wav);
};

// A started synthesizer over SynthFolders with a recording output.
struct SynthRig {
    explicit SynthRig(const std::map<std::string, std::vector<uint8_t>>& units,
                      const diphone::SynthSettings& settings = {});
    SynthFolders folders;
    host::native::Files files{host::ConfigFolders::only(folders.windows)};
    host::Random random{7};
    RecordingOutput output;
    diphone::DiphoneSynth synth{files, random, output};
    std::vector<std::string> fetched;
    int start_result = -1;
};

}  // namespace diphone_test
