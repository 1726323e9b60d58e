// The speech front-end: configuration lookup, speech start-up and end, the
// speak dispatcher, the recorded voice, and the seam to external engines.
//
// Trace words emitted here (one line each, through host.trace):
//   say-file <file>          a recorded sound handed to the wave player
//   say-number <pieces...>   one joined number image played (its piece names)
//   say-click                the click for a long run of one symbol
//   say-run <text>           a run of letters handed to the diphone synthesizer
//   say-pause <ms>           an interruptible pause of at least 50 ms
//   say-engine <text>        a text handed to the external engine
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "diphone/diphone_synth.h"
#include "host/host.h"
#include "host/random.h"
#include "sound/wave_player.h"
#include "textwindow/text_window.h"

namespace speech {

// --- configuration lookup
class Config {
public:
    // startup_directory: the current directory when the module started, one
    // trailing backslash or slash removed.
    Config(host::Files& files, std::string startup_directory);
    // Value of key in section (empty section = "KORALU") with "@" expanded;
    // empty when missing.
    std::string read_config_value(std::string_view section, std::string_view key);
    const std::string& startup_directory() const { return startup_directory_; }

    // The file that read_config_value reads: the bare "KORALU.INI" when the
    // Windows folder holds one, else the start-up directory + "\KORALU.INI".
    std::string config_file();

private:
    host::Files& files_;
    std::string startup_directory_;
};

// The "@" expansion of a value as read, with the family folder already
// chosen: a leading "@" and then every "@\" of the value, left to right.
std::string expand_family_folder(std::string_view value, std::string_view family_folder);

// Lenient reading: blanks, sign, decimal or "$"/"0x" hexadecimal digits up to
// the first unfitting character; empty gives 0.
int32_t lenient_integer(std::string_view value);
// Strict reading: the value must be the number alone.
std::optional<int32_t> strict_integer(std::string_view value);
// The yes/no reading: true when not empty and not starting with "N" or "n".
bool yes_no(std::string_view value);

// --- external engines, behind one seam
class Engine {
public:
    virtual ~Engine() = default;
    virtual bool engine_start(int voice, int rate, int pitch, int type,
                              std::string_view output_file) = 0;
    virtual void engine_close() = 0;
    virtual void engine_speak(std::string_view text) = 0;
    virtual bool engine_busy(int mode) = 0;
    virtual void engine_stop() = 0;
};

// The engine seam until the external engines are built: no engine can start,
// so the front-end speaks by its own means.
class NoEngine : public Engine {
public:
    bool engine_start(int, int, int, int, std::string_view) override { return false; }
    void engine_close() override {}
    void engine_speak(std::string_view) override {}
    bool engine_busy(int) override { return false; }
    void engine_stop() override {}
};

// The front-end's own state and operations.
class SpeechFrontEnd : public diphone::SpeechOutput {
public:
    SpeechFrontEnd(host::Host& host, textwindow::TextWindow& window, sound::WavePlayer& player,
                   diphone::DiphoneSynth& synth, host::Random& random, Engine& engine);
    ~SpeechFrontEnd() override;
    SpeechFrontEnd(const SpeechFrontEnd&) = delete;
    SpeechFrontEnd& operator=(const SpeechFrontEnd&) = delete;

    Config& config();

    // start-up and end
    // Ends the program after the Portuguese report when the diphone
    // synthesizer cannot start.
    void start_speech(int speed, std::string_view sound_folder);
    // The same start-up without the report: returns 0, or the synthesizer's
    // error number after stopping it again (nothing else is set up then).
    int start_speech_checked(int speed, std::string_view sound_folder);
    // The two report lines for a start-up error (Windows-1252).
    std::array<std::string, 2> start_failure_lines(int error) const;
    void read_synth_settings(int speed);
    void apply_synth_settings(int cut_amount, int minimum_length, int word_silence,
                              bool shorten_speech, bool play_faster);
    void end_speech();

    // speak dispatcher
    void speak(std::string_view text);
    bool speech_busy();
    void wait_pending_speech();
    void stop_speech();
    void play_click();
    void spell_text(std::string_view text);
    void pause_ms(int milliseconds);
    void speak_punctuation(std::string_view text);

    // recorded voice
    void play_character_sound(uint8_t code);
    int play_named_sound(std::string_view name);
    void play_wav_and_wait(const uint8_t* image, size_t image_length);
    void play_number_words(std::string_view words, bool feminine);

    // diphone::SpeechOutput
    void play_image_and_wait(const uint8_t* image, size_t image_length) override;

    bool collect_mode = false;
    bool say_punctuation = true;

    // Called with each run and the phoneme string made for it, before the
    // synthesizer speaks it (the falar tool prints these).
    std::function<void(std::string_view run, std::string_view phonemes)> on_phonemes;

    // Settings as start-up left them.
    int speed() const;
    bool engine_active() const;
    int engine_type() const;
    const std::string& sound_folder() const;
    const std::string& letters_folder() const;
    const std::string& collected_text() const;
    int full_stop_pause_ms() const;
    int comma_pause_ms() const;
    int colon_pause_ms() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

std::string upper_case_word(std::string_view text);
std::string recorded_group_words(std::string_view three_digits, bool* joined = nullptr);
std::string recorded_number_words(uint64_t value);

}  // namespace speech
