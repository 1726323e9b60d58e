#include "vedra/engine.h"

#include <algorithm>
#include <cstring>

#include "host/riff.h"
#include "host/text.h"
#include "vedra/normalise.h"

namespace vedra {
namespace {

constexpr std::string_view default_voice = "br4";
constexpr std::string_view built_in_database = "c:\\morbel\\vedratts\\br4";

std::string_view or_default(std::string_view value, std::string_view fallback) {
    return value.empty() ? fallback : value;
}

// A zero-terminated, writable copy: the library takes char*.
std::vector<char> c_string(std::string_view text) {
    std::vector<char> out(text.begin(), text.end());
    out.push_back('\0');
    return out;
}

}  // namespace

// ---- the text stages

std::string Frontend::load(host::Files& files, const DataFiles& paths, const ShowMessage& show) {
    free_tables();
    if (!load_rules(files, paths.rules, rules) ||
        !load_exceptions(files, paths.exceptions, exceptions))
        return "Erro na base de dados de português";
    if (!load_abbreviations(files, paths.abbreviations, abbreviations))
        return "Erro no arquivo de abreviaturas";
    if (!prosody.load_prosody(files, paths.prosody, show) ||
        !diphones.load_diphone_list(files, paths.diphone_list))
        return "Erro no arquivo de prosódia";
    return {};
}

void Frontend::free_tables() {
    free_rules(rules);
    diphones.free_diphone_list();
}

std::string Frontend::normalise(std::string_view text) const {
    return normalise_text(text, abbreviations);
}

TokenList Frontend::token_list(std::string_view normalised_text) const {
    return make_token_list(normalised_text, true, prosody);
}

PhonemeScript Frontend::phoneme_script(const TokenList& tokens) const {
    return transcribe(tokens, rules, exceptions);
}

MbrolaLines Frontend::mbrola_lines(const PhonemeScript& script, double duration_factor,
                                   double pitch_factor) {
    return make_mbrola_lines(script, duration_factor, pitch_factor, prosody, diphones,
                             current_symbol);
}

// ---- the engine

Engine::Engine(host::Host& host, sound::WavePlayer& player, MbrolaLibrary& library)
    : host_(host),
      player_(player),
      library_(library),
      read_buffer_(read_samples),
      play_buffer_(sound::wav_header_bytes + play_capacity) {}

Engine::~Engine() {
    if (loaded_ || ready_) vedra_close();
}

void Engine::set_message(std::string_view utf8) {
    message_ = host::w1252(utf8).substr(0, max_message_chars);
}

void Engine::vedra_set_output_file(std::string_view name) {
    output_name_ = std::string(name);
}

void Engine::vedra_set_factors(double duration_factor, double pitch_factor) {
    duration_factor_ = duration_factor;
    pitch_factor_ = pitch_factor;
}

bool Engine::vedra_init(std::string_view voice, std::string_view rules, std::string_view exceptions,
                        std::string_view abbreviations, std::string_view prosody,
                        std::string_view diphone_list) {
    ready_ = false;
    // A second start releases the first one's library before loading again,
    // so the handle and the synthesizer are never left open twice.
    if (loaded_) {
        library_.api().close_MBR();
        library_.unload_mbrola();
        loaded_ = false;
    }
    if (!library_.load_mbrola()) return false;

    std::string database(or_default(voice, default_voice));
    library_.find_voice_database(database);
    if (database.empty()) database = built_in_database;
    const MbrolaApi& api = library_.api();
    std::vector<char> path = c_string(database);
    if (api.init_MBR(path.data()) < 0) {
        library_.unload_mbrola();
        return false;
    }
    loaded_ = true;
    api.setNoError_MBR(1);

    DataFiles paths;
    paths.rules = or_default(rules, paths.rules);
    paths.exceptions = or_default(exceptions, paths.exceptions);
    paths.abbreviations = or_default(abbreviations, paths.abbreviations);
    paths.prosody = or_default(prosody, paths.prosody);
    paths.diphone_list = or_default(diphone_list, paths.diphone_list);
    const std::string failure = frontend_.load(
        host_.files, paths, [this](std::string_view text) { host_.window.message_box(text); });
    if (!failure.empty()) {
        set_message(failure);
        return false;
    }

    output_.clear();
    if (output_name_.empty()) {
        file_mode_ = false;
        ready_ = true;
        return true;
    }
    // The file is kept whole in memory and rewritten after each text, since
    // the host offers whole-file writes only; its header is always complete.
    output_.assign(sound::wav_header_bytes, 0);
    host::riff::put_wav_header(output_.data(), host::PcmFormat{rate_hz, 16, 1}, 0);
    if (!host_.files.write_whole(output_name_, output_)) {
        // Creating and writing are one step here: either failure gets the
        // message, so the caller can tell the user why.
        set_message("Arquivo de saída não pode ser criado");
        output_.clear();
        file_mode_ = false;
        return false;
    }
    output_path_ = output_name_;
    file_mode_ = true;
    ready_ = true;
    return true;
}

void Engine::play_chunk() {
    host::riff::put_wav_header(play_buffer_.data(), host::PcmFormat{rate_hz, 16, 1},
                               static_cast<uint32_t>(play_fill_));
    player_.play_wav_buffer(play_buffer_.data(), sound::wav_header_bytes + play_fill_);
    play_fill_ = 0;
}

bool Engine::vedra_speak(std::string_view text) {
    text = trim_blanks_and_controls(text);
    if (text.empty()) return true;
    // Speaking needs a started engine; a caller that did not get one hears
    // nothing rather than a call through an empty table.
    if (!ready_) return false;

    MbrolaLines lines;
    {
        const TokenList tokens = frontend_.token_list(frontend_.normalise(text));
        const PhonemeScript script = frontend_.phoneme_script(tokens);
        lines = frontend_.mbrola_lines(script, duration_factor_, pitch_factor_);
    }

    const bool saved_faster = player_.play_faster;
    const bool saved_shorten = player_.shorten_speech;
    player_.play_faster = false;
    player_.shorten_speech = false;

    const MbrolaApi& api = library_.api();
    api.reset_MBR();
    play_fill_ = 0;
    bool result = true;
    const size_t output_before = output_.size();

    const auto read_block = [&]() -> size_t {
        const int got = api.read_MBR(read_buffer_.data(), read_samples);
        if (got < 0) {
            // The library's way of reporting a fault inside the read.
            if (api.lastError_MBR() != 0) {
                api.reset_MBR();
                result = false;
            }
            return 0;
        }
        // Never more than the buffer holds, whatever the library answers.
        return 2 * static_cast<size_t>(std::min(got, read_samples));
    };

    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        if (lines[i].empty() && !last) continue;
        std::vector<char> line = c_string(lines[i] + "\r\n");
        api.write_MBR(line.data());
        if (api.lastError_MBR() != 0) {
            api.reset_MBR();
            result = false;
        }
        if (last) api.flush_MBR();
        for (size_t n = read_block(); n > 0; n = read_block()) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(read_buffer_.data());
            if (file_mode_) {
                output_.insert(output_.end(), bytes, bytes + n);
                continue;
            }
            // An empty buffer is never played: the first full block of a text
            // starts the chunk instead of sending a chunk of nothing ahead.
            if (play_fill_ > 0 && play_fill_ + n >= chunk_bytes) play_chunk();
            std::memcpy(play_buffer_.data() + sound::wav_header_bytes + play_fill_, bytes, n);
            play_fill_ += n;
        }
    }
    if (!file_mode_ && play_fill_ > 0) {
        if (play_fill_ < shortest_chunk_bytes) {
            std::memset(play_buffer_.data() + sound::wav_header_bytes + play_fill_, 0,
                        shortest_chunk_bytes - play_fill_);
            play_fill_ = shortest_chunk_bytes;
        }
        play_chunk();
    }
    if (file_mode_ && output_.size() != output_before) {
        host::riff::put_wav_header(output_.data(), host::PcmFormat{rate_hz, 16, 1},
                                   static_cast<uint32_t>(output_.size() - sound::wav_header_bytes));
        if (!host_.files.write_whole(output_path_, output_)) result = false;
    }

    player_.play_faster = saved_faster;
    player_.shorten_speech = saved_shorten;
    return result;
}

bool Engine::vedra_busy() {
    if (file_mode_ || !ready_) return false;
    return player_.wav_busy();
}

void Engine::vedra_stop() {
    if (!file_mode_) player_.wav_stop();
}

void Engine::vedra_close() {
    if (file_mode_) {
        host::riff::put_wav_header(output_.data(), host::PcmFormat{rate_hz, 16, 1},
                                   static_cast<uint32_t>(output_.size() - sound::wav_header_bytes));
        host_.files.write_whole(output_path_, output_);
        output_.clear();
        output_.shrink_to_fit();
        file_mode_ = false;
    }
    frontend_.free_tables();
    if (loaded_) {
        library_.api().close_MBR();
        library_.unload_mbrola();
        loaded_ = false;
    }
    ready_ = false;
}

}  // namespace vedra
