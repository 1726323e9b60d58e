// The recorded voice: one WAV file per character code, named sounds, and
// number words joined from recorded pieces into one memory image.
#include <algorithm>
#include <string>
#include <vector>

#include "speech/front_end_state.h"

namespace speech {
namespace {

constexpr size_t join_capacity = 30000;  // sample bytes of the join buffer
constexpr size_t piece_name_length = 8;
constexpr uint8_t byte_a_tilde = 227;  // ã
constexpr uint8_t byte_o_tilde = 245;  // õ

}  // namespace

void SpeechFrontEnd::play_character_sound(uint8_t code) {
    State& s = *state_;
    wait_pending_speech();
    // Character sounds live in the synthesizer's letters folder, so both
    // voices read the same files.
    const std::string file = s.synth.letters_folder() + "_" + std::to_string(code) + ".wav";
    s.trace("say-file", file);
    s.player.play_wav_file(file);
}

int SpeechFrontEnd::play_named_sound(std::string_view name) {
    State& s = *state_;
    wait_pending_speech();
    const std::string& folder = name.starts_with('_') ? s.letters_folder : s.sound_folder;
    const std::string file = folder + std::string(name) + ".wav";
    s.trace("say-file", file);
    return s.player.play_wav_file(file);
}

void SpeechFrontEnd::play_wav_and_wait(const uint8_t* image, size_t image_length) {
    State& s = *state_;
    wait_pending_speech();
    s.player.play_wav_buffer(image, image_length);
    while (speech_busy()) s.window.wait_message();
}

void SpeechFrontEnd::play_image_and_wait(const uint8_t* image, size_t image_length) {
    play_wav_and_wait(image, image_length);
}

void SpeechFrontEnd::play_number_words(std::string_view words_in, bool feminine) {
    State& s = *state_;
    std::vector<uint8_t> buffer(sound::wav_header_bytes + join_capacity);
    size_t length = 0;
    std::string pieces;  // names in the buffer, for the trace

    const auto play_buffer = [&] {
        s.trace("say-number", pieces);
        sound::fill_wav_header(buffer.data(), static_cast<uint32_t>(length), 11025, 8, 1);
        play_wav_and_wait(buffer.data(), sound::wav_header_bytes + length);
        while (speech_busy()) s.window.wait_message();
        length = 0;
        pieces.clear();
    };

    const size_t words_end = words_in.size();
    std::string text = std::string(words_in) + " *";  // a space and an end mark
    size_t pos = 0;
    while (pos + 2 < text.size()) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        if (pos + 1 >= text.size()) break;  // only the end mark is left
        std::string word;
        for (; pos < text.size() && text[pos] != ' '; ++pos) {
            auto& c = text[pos];
            if (static_cast<uint8_t>(c) == byte_a_tilde) c = 'a';
            if (static_cast<uint8_t>(c) == byte_o_tilde) c = 'o';
            word.push_back(c);
        }
        // Its own piece, apart from _dezesse (dezesseis) once cut to 8.
        if (word == "dezessete") word = "dezeset";
        std::string piece = ("_" + word).substr(0, piece_name_length);
        if (feminine && pos == words_end) {
            if (piece == "_um") piece = "_uma";
            if (piece == "_dois") piece = "_duas";
        }

        auto file = s.host.files.open_read(s.synth.letters_folder() + piece + ".wav");
        if (!file) continue;
        // Pieces are raw samples after a 44-byte header. A file too short to
        // hold one has nothing to play and is skipped; one longer than the
        // join buffer is cut to the buffer, so nothing lands outside it.
        const uint64_t size = file->size();
        if (size <= sound::wav_header_bytes) continue;
        size_t n =
            static_cast<size_t>(std::min<uint64_t>(size - sound::wav_header_bytes, join_capacity));
        if (length + n > join_capacity) play_buffer();
        if (!file->seek(sound::wav_header_bytes)) continue;
        uint8_t* into = buffer.data() + sound::wav_header_bytes + length;
        size_t got = 0;
        while (got < n) {
            const size_t r = file->read(into + got, n - got);
            if (r == 0) break;
            got += r;
        }
        length += got;
        if (!pieces.empty()) pieces.push_back(' ');
        pieces += piece;
    }
    if (length > 0) play_buffer();
}

}  // namespace speech
