// The speak dispatcher: hands whole texts to an external engine, or cuts them
// into zeros, numbers, runs of letters and symbols and sends each to the
// fitting voice, with pauses at punctuation.
#include <string>

#include "speech/front_end_state.h"

namespace speech {
namespace {

constexpr size_t longest_run = 999;   // characters handed to the rules at once
constexpr size_t longest_number = 6;  // seven digits or more are read one by one
constexpr int pause_step_ms = 50;
constexpr int repeats_before_click = 3;

bool is_letter(char c) {
    const auto b = static_cast<uint8_t>(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 128;
}
bool is_run_character(char c) {
    return is_letter(c) || c == ' ';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool SpeechFrontEnd::speech_busy() {
    State& s = *state_;
    if (s.window.key_pressed()) {
        stop_speech();
        return false;
    }
    if (s.engine_active) {
        // Both are asked, so the engine is polled even while a sound plays.
        const bool wave = s.player.wav_busy();
        const bool engine = s.engine.engine_busy(0);
        return wave || engine;
    }
    return s.player.wav_busy();
}

void SpeechFrontEnd::wait_pending_speech() {
    State& s = *state_;
    if (!s.wait_before_next_sound) return;
    while (speech_busy()) s.window.wait_message();
    s.wait_before_next_sound = false;
}

void SpeechFrontEnd::stop_speech() {
    State& s = *state_;
    s.player.wav_stop();
    s.stop_requested = true;
    if (s.engine_active && (s.engine.engine_busy(0) || s.engine_type == 3)) s.engine.engine_stop();
    s.window.post_message(host::wake_stop_speech);
}

void SpeechFrontEnd::play_click() {
    State& s = *state_;
    wait_pending_speech();
    s.trace("say-click");
    const bool shorten = s.player.shorten_speech;
    s.player.shorten_speech = false;
    sound::fill_wav_header(s.click.data(), click_samples, 11025, 8, 1);
    s.player.play_wav_buffer(s.click.data(), s.click.size());
    while (speech_busy()) s.window.wait_message();
    s.player.shorten_speech = shorten;
}

void SpeechFrontEnd::spell_text(std::string_view text) {
    for (const char c : text) {
        if (state_->window.key_pressed()) return;
        play_character_sound(static_cast<uint8_t>(c));
    }
}

void SpeechFrontEnd::pause_ms(int milliseconds) {
    State& s = *state_;
    const int steps = milliseconds / pause_step_ms;
    if (steps > 0) s.trace("say-pause", std::to_string(milliseconds));
    for (int i = 0; i < steps; ++i)
        if (!s.window.key_pressed()) s.window.delay_ms(pause_step_ms);
}

void SpeechFrontEnd::speak_punctuation(std::string_view text) {
    State& s = *state_;
    if (text.empty() || s.window.key_pressed()) return;
    const char mark = text.front();
    // The pause follows the end of the sound before it.
    while (speech_busy()) s.window.wait_message();
    if (say_punctuation) play_character_sound(static_cast<uint8_t>(mark));
    const bool space_follows = text.size() > 1 && text[1] == ' ';
    switch (mark) {
        case '(':
        case ')':
        case ':':
        case ';':
            pause_ms(s.colon_pause_ms);
            break;
        case ',':
        case '-':
        case '.':
            if (space_follows)
                pause_ms(mark == '.' ? s.full_stop_pause_ms : s.comma_pause_ms);
            else if (!say_punctuation)
                play_character_sound(static_cast<uint8_t>(mark));
            break;
        default:
            break;
    }
}

void SpeechFrontEnd::speak(std::string_view text_in) {
    State& s = *state_;
    // Room for the space appended below, so a long text is not copied twice.
    std::string text;
    text.reserve(text_in.size() + 1);
    text.assign(text_in);

    if (collect_mode) {
        if (!text.empty()) {
            if (is_letter(text.front())) s.collected_text.push_back(' ');
            s.collected_text += text;
            return;
        }
        text.swap(s.collected_text);
        s.collected_text.clear();
    }

    if (s.engine_active) {
        while (speech_busy()) s.window.wait_message();
        // A waiting key drops the utterance; speech_busy has stopped all sound.
        if (!s.window.key_pressed()) {
            s.trace("say-engine", text);
            s.engine.engine_speak(text);
            s.wait_before_next_sound = true;
        }
        return;
    }

    text.push_back(' ');
    char last_symbol = ' ';
    int repeat_count = 0;
    s.stop_requested = false;
    size_t pos = 0;
    const auto rest = [&] { return std::string_view(text).substr(pos); };

    while (!s.stop_requested && pos < text.size()) {
        if (s.window.key_pressed()) {
            stop_speech();
            return;
        }
        while (pos < text.size() && text[pos] == '0') {
            play_named_sound("_zero");
            ++pos;
        }
        if (pos >= text.size()) break;
        const char first = text[pos];

        if (first >= '1' && first <= '9') {
            const size_t start = pos;
            bool hyphen = false;
            while (pos < text.size() && (is_digit(text[pos]) || text[pos] == '-')) {
                hyphen = hyphen || text[pos] == '-';
                ++pos;
            }
            const std::string_view number = std::string_view(text).substr(start, pos - start);
            if (hyphen || number.size() > longest_number) {
                spell_text(number);
            } else {
                uint64_t value = 0;
                for (const char d : number) value = value * 10 + uint64_t(d - '0');
                play_number_words(recorded_number_words(value), false);
            }
            continue;
        }

        if (is_run_character(first)) {
            const size_t start = pos;
            while (pos < text.size() && is_run_character(text[pos])) ++pos;
            const std::string_view run = std::string_view(text).substr(start, pos - start);
            if (upper_case_word(run) == "WWW") {
                spell_text(run);
            } else if (run.find_first_not_of(' ') != std::string_view::npos) {
                // (A run of spaces alone makes an empty phoneme string, which
                // plays nothing, so it is not handed over at all.)
                s.trace("say-run", run);
                s.phoneme_text = s.synth.convert_to_phonemes(run.substr(0, longest_run));
                if (on_phonemes) on_phonemes(run, s.phoneme_text);
                s.synth.speak_phonemes(s.phoneme_text, false);
            }
            // A hyphen between two words is silent.
            if (pos + 1 < text.size() && text[pos] == '-' && is_letter(text[pos + 1])) ++pos;
            continue;
        }

        // Any other symbol. Only this branch counts repetitions, so runs and
        // numbers between two equal symbols do not reset the count.
        char c = first;
        bool clicked = false;
        if (c == last_symbol) {
            ++repeat_count;
            if (repeat_count > repeats_before_click) {
                play_click();
                clicked = true;
            }
        } else {
            repeat_count = 0;
            last_symbol = c;
        }
        // A symbol that clicked makes no further sound: it counts as a space
        // from here on, hyphens included.
        if (clicked) c = ' ';
        if (c == '-') {
            const std::string_view r = rest();
            const char next = r.size() > 2 ? r[1] : ' ';
            if (next == ' ' || next == '-') {
                speak_punctuation(r);
            } else if (is_digit(next)) {
                play_named_sound("_MENOS");
            } else {
                play_character_sound('-');
            }
        } else if (c == ':' && rest().starts_with("://")) {
            // The colon of an address is read by its letter sound, no pause.
            spell_text(rest().substr(0, 1));
        } else {
            switch (c) {
                case '(':
                case ')':
                case ',':
                case '.':
                case ':':
                case ';':
                    speak_punctuation(rest());
                    break;
                case ' ':
                case '\t':
                    break;
                default:
                    if (!s.window.key_pressed()) play_character_sound(static_cast<uint8_t>(c));
                    break;
            }
        }
        ++pos;
    }
}

}  // namespace speech
