// The main window, its message handling, and the keyboard queue with waiting,
// Braille input and tones.
#include "textwindow/text_window.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "host/text.h"
#include "textwindow/tone.h"
#include "textwindow/window_state.h"

namespace textwindow {

namespace {

constexpr size_t title_limit = 79;
constexpr uint16_t vk_f4 = 115;
constexpr uint32_t tone_length_ms = 200;

bool is_ascii_letter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

TextWindow::State::State(host::Host& host_, std::string_view program_path) : host(host_) {
    // The native path, in the character set the window shows.
    title = host::utf8_to_cp1252(program_path);
    if (title.size() > title_limit) title.resize(title_limit);
    settings.colour_map = identity_colour_map;
    attribute = settings.attribute;
}

// ---------------------------------------------------------------- main window

void TextWindow::State::ensure_window() {
    if (created || closed) return;
    settings = read_display_settings(host.files, host.window.work_area());
    attribute = settings.attribute;

    // create_font gives the fixed system font (0) when it cannot make the face.
    font =
        host.window.create_font(settings.font_face, settings.char_height, settings.char_width, 0);
    const host::FontMetrics metrics = host.window.font_metrics(font);
    // A degenerate font must not make the cell arithmetic divide by zero.
    char_width = std::max(1, metrics.average_width);
    line_height = std::max(1, metrics.height + metrics.external_leading);
    ascent = metrics.ascent;
    overhang = metrics.overhang;

    const host::FrameMetrics frame = host.window.frame_metrics();
    window_width = 2 * frame.sizing_frame_width + screen_columns * char_width;
    window_height =
        2 * frame.sizing_frame_height + screen_rows * line_height + frame.caption_height;

    // The creation message's work: the screen buffer exists before any paint.
    allocate_screen();
    created = true;
    // Should the platform refuse the window, the program still runs on the
    // screen buffer and the keyboard queue; there is nothing better to do.
    host.window.create(title, window_width, window_height);
    const SizeLimits limits = size_limits();
    host.window.set_size_limits(limits.min_track_width, limits.min_track_height, limits.max_width,
                                limits.max_height);
    host.window.show(settings.maximized);
    update_window();
    set_braille_mode(settings.braille_mode);
}

void TextWindow::State::set_title(std::string_view text) {
    title = std::string(text);
    if (created) host.window.set_title(title);
}

TextWindow::SizeLimits TextWindow::State::size_limits() const {
    const host::FrameMetrics frame = host.window.frame_metrics();
    SizeLimits limits;
    limits.max_width = std::min(screen_columns * char_width, host.window.screen_width()) +
                       2 * frame.sizing_frame_width;
    limits.max_height =
        std::min(frame.caption_height + screen_rows * line_height, host.window.screen_height()) +
        2 * frame.sizing_frame_height;
    limits.min_track_width = 2 * frame.sizing_frame_width + 16 * char_width;
    limits.min_track_height =
        2 * frame.sizing_frame_height + 4 * line_height + frame.caption_height;
    return limits;
}

void TextWindow::State::close_window_and_exit() {
    if (created) {
        queue.clear();
        if (tone_playing) stop_tone();
        if (magnifier) host.window.release_offscreen();
        magnifier = false;
        if (font != host::system_fixed_font) host.window.delete_font(font);
        font = host::system_fixed_font;
        host.window.destroy();
        // The destruction message's work. Its quit message is not posted: the
        // process ends here, and nothing would pump it.
        column = 0;
        row = 0;
        created = false;
        closed = true;
    }
    end_process(0);
}

void TextWindow::State::end_process(int code) {
    if (ExitHandler handler = std::exchange(exit_handler, nullptr)) handler();
    host.process.exit_process(code);
    std::abort();  // exit_process never returns; the compiler cannot see it through the call
}

void TextWindow::State::terminate_program() {
    if (reading && focused) hide_caret();
    if (tone_playing) stop_tone();
    // The exit hook: the window outlives the program's end, so say so.
    if (created) {
        set_title("Programa terminado");
        break_check = false;
    }
    end_process(255);
}

// The platform's default handling of the system keys that are not ours: of
// them only Alt+F4 has an effect in this window, closing it.
void TextWindow::State::default_system_key(const host::Message& message) {
    if (message.virtual_key == vk_f4 && message.modifiers.alt && !message.modifiers.ctrl) {
        if (kiosk) {
            host.trace.event("locked", "alt+F4");
            return;
        }
        close_window_and_exit();
    }
}

bool TextWindow::State::unlock_chord(const host::Message& message) {
    if (!kiosk || message.virtual_key != 'Q') return false;
    const uint64_t now = host.clock.now_ms();
    const bool long_enough = unlock_held && now - unlock_since_ms >= unlock_hold_ms;
    if (message.kind == host::MessageKind::key_up) {
        if (!unlock_held) return false;
        unlock_held = false;
    } else {
        const host::Modifiers m = message.modifiers;
        if (!(m.ctrl && m.alt && m.shift)) return false;
        // Held keys repeat their key-down: the first one starts the count.
        if (!unlock_held) {
            unlock_held = true;
            unlock_since_ms = now;
        }
    }
    if (long_enough) {
        host.trace.event("unlocked", "");
        close_window_and_exit();
    }
    return true;
}

void TextWindow::State::dispatch(const host::Message& message) {
    using Kind = host::MessageKind;
    if ((message.kind == Kind::key_down || message.kind == Kind::key_up) && unlock_chord(message))
        return;
    if (message.kind == Kind::character && unlock_held) return;  // the chord's Ctrl+Q
    switch (message.kind) {
        case Kind::key_down:
            if (message.system_key && break_check) {
                const bool alt_arrow =
                    message.modifiers.alt && (message.virtual_key == host::vk::left ||
                                              message.virtual_key == host::vk::right);
                if (!alt_arrow) {
                    default_system_key(message);
                    return;
                }
            }
            on_key_down(message);
            return;
        case Kind::key_up:
            if (!message.system_key) on_key_up(message);
            return;
        case Kind::character:
            on_character(message);
            return;
        case Kind::set_focus:
            focused = true;
            if (reading) show_caret();
            return;
        case Kind::kill_focus:
            hide_caret();
            focused = false;
            return;
        case Kind::paint:
            paint(message.rect);
            return;
        case Kind::close:
            if (kiosk) {
                host.trace.event("locked", "close");
                return;
            }
            close_window_and_exit();
        case Kind::quit:
            terminate_program();
        case Kind::right_down:
            magnifier_down(message.x, message.y);
            return;
        case Kind::mouse_move:
            magnifier_move(message.x, message.y);
            return;
        case Kind::right_up:
            magnifier_up();
            return;
        case Kind::wave_done:
            if (wave_handler) wave_handler(message.block_id);
            return;
        case Kind::user:
            // Wake-ups only end a wait for a message.
            return;
    }
}

// ---------------------------------------------------------------- keyboard

void TextWindow::State::on_character(const host::Message& message) {
    uint8_t c = message.character;
    // In Braille mode the chords make the letters and the blank.
    if (braille_mode != 0 && (c == ' ' || is_ascii_letter(c))) return;
    if (c == 8)
        c = message.modifiers.ctrl ? 127 : 8;
    else if (c == 13)
        c = message.modifiers.ctrl ? 10 : 13;
    queue.push(c);  // dropped when the queue is full
}

void TextWindow::State::on_key_down(const host::Message& message) {
    const uint16_t key = message.virtual_key;
    const host::Modifiers mods = message.modifiers;
    if (break_check && key == host::vk::cancel) {
        if (!kiosk) terminate_program();
        host.trace.event("locked", "ctrl+BREAK");
        return;
    }
    if (mods.alt) {
        if (mods.ctrl && key == host::vk::f12) {
            set_braille_mode(0);
            return;
        }
        if (mods.ctrl && key == host::vk::f11) {
            set_braille_mode(braille_mode + 1);
            return;
        }
        const int code = alt_key_code(key);
        if (code >= 0) {
            queue.push_extended(static_cast<uint8_t>(code));  // needs two places
            return;
        }
    }
    if (!mods.ctrl && braille_mode != 0) {
        const uint8_t bit = chord_bit(key);
        if (bit != 0) {
            chords.press(bit);
            return;
        }
    }
    if (queue.size() > KeyQueue::capacity - 2) return;
    const int code = extended_key_code(key, mods.ctrl, mods.shift);
    if (code >= 0) queue.push_extended(static_cast<uint8_t>(code));
}

void TextWindow::State::on_key_up(const host::Message& message) {
    if (braille_mode == 0) return;
    const BrailleChords::Release result =
        chords.release(message.virtual_key, message.modifiers.ctrl, braille_mode);
    if (result.character != no_character) queue.push(result.character);
}

bool TextWindow::State::key_pressed() {
    ensure_window();
    pump_messages();
    return !queue.empty();
}

uint8_t TextWindow::State::read_key() {
    if (!key_pressed()) {
        reading = true;
        if (focused) show_caret();
        do {
            host.messages.wait_message();
        } while (!key_pressed());
        hide_caret();
        reading = false;
    }
    const uint8_t code = queue.pop();
    host.trace.event("key", std::to_string(code));
    return code;
}

std::string TextWindow::State::read_line(size_t capacity) {
    std::string line;
    for (;;) {
        const uint8_t c = read_key();
        if (c == 13) break;
        if (c == 0) {
            // An extended key: its code is no character, so it is skipped too
            // rather than typed as a letter. The pair is always queued whole.
            if (!queue.empty()) read_key();
        } else if (c == 8) {
            if (!line.empty()) {
                write_text("\b");
                line.pop_back();
            }
        } else if (c >= 32 && line.size() + 2 < capacity) {
            line.push_back(static_cast<char>(c));
            write_text(std::string_view(&line.back(), 1));
        }
    }
    line.append("\r\n");
    write_text("\r\n");
    return line;
}

void TextWindow::State::delay_ms(uint16_t milliseconds) {
    host.clock.sleep_ms(milliseconds);
    pump_messages();
}

void TextWindow::State::pump_messages() {
    host::Message message;
    while (host.messages.peek_message(message)) dispatch(message);
    // What is still invalid is painted once nothing else waits, as the
    // platform sends its paint message last.
    update_window();
}

void TextWindow::State::show_caret() {
    if (!created) return;
    host.window.show_caret(column * char_width, row * line_height + ascent, char_width, 2);
}

void TextWindow::State::hide_caret() {
    if (created) host.window.hide_caret();
}

// ---------------------------------------------------------------- Braille mode and tones

void TextWindow::State::set_braille_mode(int mode) {
    if (mode < 0 || mode > 2) mode = 1;
    if (mode == 0) {
        chords.reset();
        if (braille_mode != 0) sound_tone(100);
    } else {
        sound_tone(800);
        sound_tone(mode == 1 ? 1600 : 400);
    }
    braille_mode = mode;
    host.trace.event("braille", std::to_string(mode));
}

void TextWindow::State::sound_tone(int frequency_hz) {
    play_tone(frequency_hz);
    delay_ms(tone_length_ms);
    stop_tone();
}

void TextWindow::State::play_tone(int frequency_hz) {
    if (tone_playing) stop_tone();
    // A frequency without a period of at least one sample is not played.
    std::vector<uint8_t> image = build_tone_image(frequency_hz);
    if (image.empty()) return;
    tone_image = std::move(image);
    tone_playing = true;
    host.trace.event("tone", std::to_string(frequency_hz));
    host.sound_player.play_memory_looping(tone_image);
}

void TextWindow::State::stop_tone() {
    host.trace.event("tone-stop", "");
    host.sound_player.stop();
    tone_image.clear();
    tone_image.shrink_to_fit();
    tone_playing = false;
}

// ---------------------------------------------------------------- TextWindow

TextWindow::TextWindow(host::Host& host, std::string_view program_path)
    : state_(std::make_unique<State>(host, program_path)) {}

TextWindow::~TextWindow() = default;

void TextWindow::ensure_window() {
    state_->ensure_window();
}
void TextWindow::close_window_and_exit() {
    state_->close_window_and_exit();
}
void TextWindow::register_wave_handler(WaveHandler handler) {
    state_->wave_handler = std::move(handler);
}

void TextWindow::register_exit_handler(ExitHandler handler) {
    state_->exit_handler = std::move(handler);
}
void TextWindow::set_title(std::string_view title) {
    state_->set_title(title);
}
host::Window& TextWindow::window() {
    return state_->host.window;
}
host::Host& TextWindow::host() {
    return state_->host;
}
const DisplaySettings& TextWindow::display_settings() const {
    return state_->settings;
}
int TextWindow::cell_width() const {
    return state_->char_width;
}
int TextWindow::line_height() const {
    return state_->line_height;
}
TextWindow::SizeLimits TextWindow::size_limits() const {
    return state_->size_limits();
}

bool TextWindow::key_pressed() {
    return state_->key_pressed();
}
uint8_t TextWindow::read_key() {
    return state_->read_key();
}
std::string TextWindow::read_line(size_t capacity) {
    return state_->read_line(capacity);
}
void TextWindow::delay_ms(uint16_t milliseconds) {
    state_->delay_ms(milliseconds);
}
void TextWindow::pump_messages() {
    state_->pump_messages();
}
void TextWindow::wait_message() {
    state_->host.messages.wait_message();
}
void TextWindow::post_message(uint32_t message_id) {
    host::Message message;
    message.kind = host::MessageKind::user;
    message.user_id = message_id;
    state_->host.messages.post_message(message);
}
void TextWindow::set_braille_mode(int mode) {
    state_->set_braille_mode(mode);
}
void TextWindow::set_kiosk(bool on) { state_->kiosk = on; }

bool TextWindow::kiosk() const { return state_->kiosk; }

int TextWindow::braille_mode() const {
    return state_->braille_mode;
}
size_t TextWindow::queued_key_count() const {
    return state_->queue.size();
}
void TextWindow::play_tone(int frequency_hz) {
    state_->play_tone(frequency_hz);
}
void TextWindow::stop_tone() {
    state_->stop_tone();
}
void TextWindow::terminate_program() {
    state_->terminate_program();
}

}  // namespace textwindow
