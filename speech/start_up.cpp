// Bringing the speech front-end up and down: module initialisation, the
// per-speed synthesizer settings, the optional external engine, and the end.
#include <string>

#include "host/text.h"
#include "speech/front_end_state.h"

namespace speech {
namespace {

constexpr size_t value_buffer_size = 255;  // 254 characters, as everywhere in KORALU.INI
constexpr size_t bank_name_length = 8;
constexpr std::string_view default_letters_folder = "c:\\morbel\\som\\letras\\";

bool ends_in_separator(std::string_view path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::string with_separator(std::string_view folder) {
    std::string out(folder);
    if (!out.empty() && !ends_in_separator(out)) out.push_back('\\');
    return out;
}

}  // namespace

SpeechFrontEnd::SpeechFrontEnd(host::Host& host, textwindow::TextWindow& window,
                               sound::WavePlayer& player, diphone::DiphoneSynth& synth,
                               host::Random& random, Engine& engine)
    : state_(std::make_unique<State>(host, window, player, synth, engine,
                                     host.files.current_directory())) {
    // COM would be initialised for this thread here; nothing on this platform
    // needs it until the external engines arrive.
    State& s = *state_;
    // The click: a short burst of noise from the generator as seeded now,
    // then silence. Its header is filled when it is played.
    for (size_t i = 0; i < click_samples; ++i)
        s.click[sound::wav_header_bytes + i] =
            i < click_noise_samples ? static_cast<uint8_t>(128 + random.next(60)) : 128;
}

SpeechFrontEnd::~SpeechFrontEnd() = default;

Config& SpeechFrontEnd::config() {
    return state_->config;
}

int SpeechFrontEnd::speed() const {
    return state_->speed;
}
bool SpeechFrontEnd::engine_active() const {
    return state_->engine_active;
}
int SpeechFrontEnd::engine_type() const {
    return state_->engine_type;
}
const std::string& SpeechFrontEnd::sound_folder() const {
    return state_->sound_folder;
}
const std::string& SpeechFrontEnd::letters_folder() const {
    return state_->letters_folder;
}
const std::string& SpeechFrontEnd::collected_text() const {
    return state_->collected_text;
}
int SpeechFrontEnd::full_stop_pause_ms() const {
    return state_->full_stop_pause_ms;
}
int SpeechFrontEnd::comma_pause_ms() const {
    return state_->comma_pause_ms;
}
int SpeechFrontEnd::colon_pause_ms() const {
    return state_->colon_pause_ms;
}

std::array<std::string, 2> SpeechFrontEnd::start_failure_lines(int error) const {
    return {host::w1252("Erro de inicialização: ") + std::to_string(error),
            "Banco de dados de voz: " + state_->synth.settings().bank_name};
}

void SpeechFrontEnd::start_speech(int speed, std::string_view sound_folder) {
    const int error = start_speech_checked(speed, sound_folder);
    if (error == 0) return;
    for (const std::string& line : start_failure_lines(error))
        state_->window.write_output_line(line);
    state_->window.read_input_line();
    state_->window.close_window_and_exit();
}

int SpeechFrontEnd::start_speech_checked(int speed, std::string_view sound_folder) {
    State& s = *state_;
    if (speed <= 0) speed = lenient_integer(s.config.read_config_value("TRADUTOR", "VELOCIDADE"));
    if (speed < 1 || speed > 5) speed = 3;
    read_synth_settings(speed);

    if (const int error = s.synth.start_diphone_synth(); error != 0) {
        s.synth.stop_diphone_synth();
        return error;
    }

    s.sound_folder = with_separator(sound_folder);
    // Read straight from the Windows folder's file, without "@" expansion.
    s.letters_folder = with_separator(
        host::read_profile_string(s.host.files, "KORALU.INI", "TRADUTOR", "DIRLETRAS",
                                  default_letters_folder, value_buffer_size));

    s.engine_active = false;
    if (yes_no(s.config.read_config_value("TRADUTOR", "SAPI"))) {
        const int voice = lenient_integer(s.config.read_config_value("SERVFALA", "VOZ"));
        int rate = lenient_integer(s.config.read_config_value("SERVFALA", "VELOCIDADE"));
        const int pitch = lenient_integer(s.config.read_config_value("SERVFALA", "TOM"));
        const int type = lenient_integer(s.config.read_config_value("SERVFALA", "TIPOSAPI"));
        if (type != 4 && rate > 10) rate = 0;
        s.engine_active = s.engine.engine_start(voice, rate, pitch, type, s.engine_output_file);
        s.engine_type = type;
    }
    return 0;
}

void SpeechFrontEnd::read_synth_settings(int speed) {
    State& s = *state_;
    s.speed = speed;
    const std::string n = std::to_string(speed);
    const auto value = [&](std::string_view key) {
        return s.config.read_config_value("SINTETIZADOR", std::string(key) + n);
    };

    diphone::SynthSettings settings = s.synth.settings();
    settings.bank_name = value("DIFONES").substr(0, bank_name_length);
    s.synth.apply_settings(settings);

    const int cut = lenient_integer(value("CORTEFON"));
    const int minimum = strict_integer(value("SOBRAFON")).value_or(0);
    const int silence = strict_integer(value("INTERPAL")).value_or(0);
    const bool shorten = yes_no(value("CORTAFALA"));
    const bool faster = yes_no(value("RAPIDINHO"));
    apply_synth_settings(cut, minimum, silence, shorten, faster);

    s.full_stop_pause_ms = strict_integer(value("PAUSAPONTO")).value_or(250);
    s.comma_pause_ms = strict_integer(value("PAUSAVIRG")).value_or(150);
    s.colon_pause_ms = strict_integer(value("PAUSADOISPONTOS")).value_or(200);
}

void SpeechFrontEnd::apply_synth_settings(int cut_amount, int minimum_length, int word_silence,
                                          bool shorten_speech, bool play_faster) {
    State& s = *state_;
    diphone::SynthSettings settings = s.synth.settings();
    settings.cut_amount = cut_amount;
    settings.minimum_length = minimum_length;
    settings.word_silence = word_silence;
    s.synth.apply_settings(settings);
    s.player.shorten_speech = shorten_speech;
    s.player.play_faster = play_faster;
}

void SpeechFrontEnd::end_speech() {
    State& s = *state_;
    if (!s.collected_text.empty()) {
        // Text gathered in collect mode is spoken even when the mode was
        // switched off after gathering it.
        const bool was_collecting = collect_mode;
        collect_mode = true;
        speak("");
        collect_mode = was_collecting;
    }
    while (speech_busy()) s.window.wait_message();
    stop_speech();
    if (s.engine_active) {
        s.engine.engine_close();
        s.engine_active = false;
    }
    s.synth.stop_diphone_synth();
}

}  // namespace speech
