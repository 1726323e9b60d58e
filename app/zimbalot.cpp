#include "app/zimbalot.h"

#include <string>

#include "app/assets.h"

namespace app {
namespace {

constexpr int client_width = 640;
constexpr int client_height = 480;
constexpr uint16_t idle_step_ms = 500;
constexpr int idle_steps = 16;     // 8 seconds without a key, then the prompt
constexpr int keys_per_game = 12;  // the twelfth handled key starts a vowel game
constexpr int closing_steps = 5;   // 5 x 500 ms of grace after ESC
constexpr int refused_after = 2;   // repetitions allowed before "cansado"

uint8_t upper_case(uint8_t c) {
    return c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c;
}

bool accepted_key(uint8_t key) {
    return key == key_escape || key == key_space || key == key_star || (key >= '0' && key <= '9') ||
           (key >= 'A' && key <= 'Z');
}

}  // namespace

void run_zimbalot(Context& context) {
    Zimbalot program(context);
    program.run();
}

Placement centred_placement(const host::Rect& work_area, const host::FrameMetrics& frame) {
    Placement p;
    p.width = client_width + 2 * frame.sizing_frame_width;
    p.height = client_height + 2 * frame.sizing_frame_height + frame.caption_height;
    // Integer division truncates toward zero, also for a work area smaller
    // than the window.
    p.x = (work_area.right - work_area.left - p.width) / 2;
    p.y = (work_area.bottom - work_area.top - p.height) / 2;
    return p;
}

Zimbalot::Zimbalot(Context& context) : context_(context) {}

void Zimbalot::run() {
    start_up();
    empty_keyboard_queue();
    Phase phase = Phase::introduction;
    for (;;) {
        switch (phase) {
            case Phase::introduction: {
                context_.pictures.show_picture(assets::capa);
                play_sound(assets::mustlink);
                play_sound(assets::intro1);
                context_.pictures.show_picture(assets::intro);
                play_sound(assets::f2);
                empty_keyboard_queue();
                // Through the wave-out player, so that a key cuts it short; that
                // key is the one read next.
                context_.speech.play_named_sound(assets::intro2);
                phase = leaves(context_.window.read_key()) ? Phase::ending : Phase::box_game;
                break;
            }
            case Phase::box_game:
                context_.pictures.show_picture(assets::caixa);
                play_sound(assets::f2);
                play_sound(assets::intro3);
                play_sound(assets::aptec);
                box_game();  // ends the process itself on ESC
                phase = Phase::key_loop;
                break;
            case Phase::key_loop:
                key_loop();
                phase = Phase::ending;
                break;
            case Phase::ending:
                context_.pictures.show_picture(assets::caixa);
                play_sound(assets::tchan);
                close_program();
        }
    }
}

bool Zimbalot::leaves(uint8_t key) {
    if (key != key_escape) return false;
    if (!context_.window.kiosk()) return true;
    context_.host.trace.event("locked", "ESC");
    return false;
}

void Zimbalot::close_program() {
    closing_screen();
    context_.window.read_key();
    context_.window.close_window_and_exit();
}

void Zimbalot::start_up() {
    host::Files& files = context_.host.files;
    std::string folder = context_.speech.config().read_config_value("ZIMBALOT", "DIRZIMBALOT");
    if (!files.set_current_directory(folder)) {
        folder = "c:\\zimbalot";
        // When the fallback is missing too, the program runs in whatever
        // folder is current; the sound folder is then left empty so that the
        // recordings played through the speech front-end come from that same
        // folder as every other sound.
        if (!files.set_current_directory(folder)) folder.clear();
    }
    context_.speech.start_speech(1, folder);
    context_.random.seed(context_.host.clock.random_seed());
    vowel_index_ = static_cast<int>(context_.random.next(5));
    context_.window.clear_screen();
    context_.window.set_title("Zimbalot");
    centre_window();
}

void Zimbalot::centre_window() {
    host::Window& window = context_.window.window();
    const Placement p = centred_placement(window.work_area(), window.frame_metrics());
    window.move_size(p.x, p.y, p.width, p.height);
    window.show(false);
}

void Zimbalot::play_sound(std::string_view name) {
    // No fixed name buffer: any length is passed on whole.
    std::string file(name);
    file += ".wav";
    context_.host.sound_player.play_file_sync(file);
}

bool Zimbalot::file_exists(std::string_view name) {
    return context_.host.files.open_read(name) != nullptr;
}

void Zimbalot::empty_keyboard_queue() {
    while (context_.window.key_pressed()) context_.window.read_key();
}

uint8_t Zimbalot::read_answer_key() {
    textwindow::TextWindow& window = context_.window;
    for (;;) {
        int steps = 0;
        while (!window.key_pressed()) {
            window.delay_ms(idle_step_ms);
            if (window.key_pressed()) break;
            if (++steps == idle_steps) {
                play_sound(assets::plin);
                play_sound(assets::plin);
                steps = 0;
            }
        }
        // Only the last key of a burst counts.
        uint8_t key = 0;
        while (window.key_pressed()) {
            const uint8_t byte = window.read_key();
            if (byte == 0) {
                // An extended key's code follows its 0 at once; a lone 0 (a
                // control character) must not make us wait for, and eat, the
                // next key.
                if (window.key_pressed()) window.read_key();
                key = 0;
            } else {
                key = upper_case(byte);
            }
        }
        if (accepted_key(key)) return key;
        play_sound(assets::saidessa);
    }
}

bool Zimbalot::repeat_guard(uint8_t key) {
    bool refused = false;
    if (key == last_key_) {
        if (++repeat_count_ > refused_after) {
            play_sound(assets::cansado);
            repeat_count_ = 0;
            refused = true;
        }
    } else {
        repeat_count_ = 0;
    }
    last_key_ = key;
    return refused;
}

void Zimbalot::draw_big_character(uint8_t character) {
    host::Window& window = context_.window.window();
    const host::FontId font = window.create_font("Arial", 120, 70, 400);
    if (font == host::system_fixed_font) return;  // not created: draw nothing
    const char text[3] = {' ', static_cast<char>(character), ' '};
    // Straight onto the window in the default colours, not into the text
    // screen, so the next picture or repaint covers it.
    window.draw_text(font, 420, 10, std::string_view(text, 3), host::Rgb{0, 0, 0},
                     host::Rgb{255, 255, 255});
    window.delete_font(font);
    context_.host.trace.event("bigchar", std::string_view(text + 1, 1));
}

void Zimbalot::letter_presentation(uint8_t letter) {
    const std::string name(1, static_cast<char>(letter));
    if (file_exists(name + ".PCX")) context_.pictures.show_picture(name);
    if (file_exists(name + "1.WAV")) play_sound(name + "1");
    draw_big_character(letter);
    for (int d = 2; d <= assets::letter_sound_count; ++d) {
        const std::string sound = name + static_cast<char>('0' + d);
        if (file_exists(sound + ".WAV")) play_sound(sound);
    }
}

bool Zimbalot::confirm_closing() {
    context_.pictures.show_picture(assets::caixaber);
    play_sound(assets::fechando);
    uint8_t key = key_escape;
    for (int i = 0; i < closing_steps; ++i) {
        context_.window.delay_ms(idle_step_ms);
        if (context_.window.key_pressed()) {
            while (context_.window.key_pressed()) key = context_.window.read_key();
            break;
        }
    }
    return key == key_escape;
}

void Zimbalot::key_loop() {
    last_key_ = '@';
    repeat_count_ = 0;
    key_count_ = 0;
    for (;;) {
        context_.pictures.show_picture(assets::sopaletr);
        uint8_t key = 0;
        do {
            play_sound(assets::plin);
            empty_keyboard_queue();
            key = read_answer_key();
        } while (repeat_guard(key));
        ++key_count_;
        if (key == key_star || key_count_ >= keys_per_game) {
            // Uses up the twelfth key whatever it is, ESC included.
            key_count_ = 0;
            vowel_game();
            play_sound(assets::continua);
        } else if (key == key_space) {
            play_sound(assets::chaaaaan);
            context_.pictures.show_picture(assets::abcdefg);
            play_sound(assets::abcdefgh);
            play_sound(assets::chaaaaan);
        } else if (key >= '0' && key <= '9') {
            number_activity(key);
        } else if (key == key_escape) {
            if (leaves(key) && confirm_closing()) return;
        } else {
            letter_presentation(key);
        }
    }
}

}  // namespace app
