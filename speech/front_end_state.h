// The speech front-end's module state, shared by its source files.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "speech/speech.h"

namespace speech {

constexpr size_t click_samples = 256;
constexpr size_t click_noise_samples = 64;

struct SpeechFrontEnd::State {
    State(host::Host& host_, textwindow::TextWindow& window_, sound::WavePlayer& player_,
          diphone::DiphoneSynth& synth_, Engine& engine_, std::string startup_directory)
        : host(host_),
          window(window_),
          player(player_),
          synth(synth_),
          engine(engine_),
          config(host_.files, std::move(startup_directory)) {}

    host::Host& host;
    textwindow::TextWindow& window;
    sound::WavePlayer& player;
    diphone::DiphoneSynth& synth;
    Engine& engine;
    Config config;

    std::string sound_folder;    // ends in "\" unless empty
    std::string letters_folder;  // ends in "\" unless empty
    int speed = 3;
    bool engine_active = false;
    int engine_type = 4;
    std::string engine_output_file;  // never set by the program: engines play
    bool wait_before_next_sound = true;
    std::string collected_text;
    bool stop_requested = false;
    int full_stop_pause_ms = 250;
    int comma_pause_ms = 150;
    int colon_pause_ms = 200;
    std::array<uint8_t, sound::wav_header_bytes + click_samples> click{};
    std::string phoneme_text;

    void trace(std::string_view word, std::string_view args = "") { host.trace.event(word, args); }
};

}  // namespace speech
