// The box game, the vowel game with its hot-and-cold hunt, the number activity
// and the closing screen.
#include <array>
#include <string>

#include "app/assets.h"
#include "app/zimbalot.h"
#include "host/text.h"

namespace app {
namespace {

constexpr std::string_view vowels = "AEIOU";

// One string per vowel; the n-th character grades the n-th letter of the
// alphabet by its distance from the vowel on a QWERTY keyboard.
constexpr std::array<std::string_view, 5> hint_tables{
    "xmqqqqmfgfgggfggpmpmfqqpfp",  // A
    "qmqpxpqmgfggfgggqppqfqpqmq",  // E
    "gfgggggmxpppqmpqgfgmufggqg",  // I
    "gggggffmpqppqmxpgfgfqfggmg",  // O
    "gmgggfmppppqqqqmgfgqxfggpg",  // U
};

constexpr std::array<std::string_view, 5> hunt_sounds{
    assets::busca_a, assets::busca_e, assets::busca_i, assets::busca_o, assets::busca_u};

// The hunt ends without applause once this many guesses are used.
constexpr int guess_limit = 16;

uint8_t upper_case(uint8_t c) {
    return c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c;
}

}  // namespace

char vowel_hint(uint8_t vowel, uint8_t letter) {
    const size_t v = vowels.find(static_cast<char>(vowel));
    if (v == std::string_view::npos || letter < 'A' || letter > 'Z') return 0;
    return hint_tables[v][letter - 'A'];
}

std::string_view hint_sound(char hint) {
    switch (hint) {
        case 'f':
            return assets::frio;
        case 'g':
            return assets::gelado;
        case 'm':
            return assets::morno;
        case 'p':
            return assets::pelando;
        case 'q':
            return assets::quente;
        default:
            return {};
    }
}

void Zimbalot::box_game() {
    for (;;) {
        play_sound(assets::plin);
        const uint8_t key = read_answer_key();
        if (key == key_escape) {
            if (!context_.window.kiosk()) close_program();
            context_.host.trace.event("locked", "ESC");
        }
        if (key == key_space || vowels.find(static_cast<char>(key)) != std::string_view::npos) {
            play_sound(assets::musabert);
            context_.pictures.show_picture(assets::caixaber);
            play_sound(assets::abriu);
            play_sound(assets::boaideia);
            return;
        }
        play_sound(assets::nanani);
    }
}

void Zimbalot::vowel_game() {
    context_.pictures.show_picture(assets::interrog);
    play_sound(assets::aeiou);
    vowel_index_ = (vowel_index_ + 1) % 5;
    empty_keyboard_queue();
    vowel_hunt(static_cast<uint8_t>(vowels[static_cast<size_t>(vowel_index_)]));
    context_.pictures.show_picture(assets::caixaber);
    play_sound(assets::aeiou2);
    empty_keyboard_queue();
}

void Zimbalot::vowel_hunt(uint8_t vowel) {
    const size_t v = vowels.find(static_cast<char>(vowel));
    if (v == std::string_view::npos) return;
    textwindow::TextWindow& window = context_.window;
    play_sound(assets::tingting);
    play_sound(hunt_sounds[v]);
    int guesses = 0;
    for (;;) {
        // No idle prompt here: the hunt waits as long as it takes.
        const uint8_t key = upper_case(window.read_key());
        if (key == 0) {
            // The code of an extended key; a lone 0 must not swallow the next key.
            if (window.key_pressed()) window.read_key();
        }
        if (key < 'A' || key > 'Z') {
            play_sound(assets::chaaaaan);  // not a guess
            continue;
        }
        if (window.key_pressed()) continue;  // only the last key of a burst counts
        const char hint = hint_tables[v][key - 'A'];
        const std::string_view sound = hint_sound(hint);
        if (!sound.empty()) play_sound(sound);
        ++guesses;
        if (hint == 'x' || guesses >= guess_limit) break;
    }
    if (guesses < guess_limit) {
        context_.pictures.show_picture(assets::aplauso_picture);
        play_sound(assets::aplauso_sound);
        play_sound(assets::parabens);
    }
}

void Zimbalot::number_activity(uint8_t digit) {
    context_.pictures.show_picture(assets::numeros);
    play_sound(assets::sounumer);
    draw_big_character(digit);
    for (int i = 0; i < digit - '0'; ++i) {
        play_sound(assets::toc);
        context_.window.delay_ms(400);
    }
    const std::string name(1, static_cast<char>(digit));
    if (file_exists(name + ".WAV")) play_sound(name);
    context_.window.delay_ms(1000);
}

void Zimbalot::closing_screen() {
    textwindow::TextWindow& window = context_.window;
    window.clear_screen();
    window.set_text_colour(15);
    window.write_output_line("");
    window.write_output_line(host::w1252(" O ZIMBALOT é um programa sonoro, criado para auxiliar"));
    window.write_output_line(
        host::w1252(" na alfabetização de crianças com deficiência visual e sua"));
    window.write_output_line(host::w1252(" integração com outras crianças."));
    window.write_output_line("");
    window.set_text_colour(4);
    window.write_output_line(" Sugere-se que as teclas do computador tenham caracteres");
    window.write_output_line(" Braille colados apenas nas letras a serem trabalhadas");
    window.write_output_line(" pelo instrutor.");
    window.write_output_line("");
    // Our own credits, short enough for the default cell width in 640 pixels.
    window.set_text_colour(14);
    window.write_output_line(host::w1252(" ZIMBALOT: letras, vogais e números com som"));
    window.set_text_colour(15);
    window.write_output_line("");
    window.write_output_line(" Cada tecla mostra a figura e toca os sons");
    window.write_output_line(host::w1252(" da letra; os números contam com toques,"));
    window.write_output_line(host::w1252(" o espaço canta o alfabeto e a caça às"));
    window.write_output_line(host::w1252(" vogais diz se a tecla está fria ou quente."));
    play_sound(assets::aeioufim);
    while (context_.speech.speech_busy()) window.wait_message();
    context_.speech.end_speech();
}

}  // namespace app
