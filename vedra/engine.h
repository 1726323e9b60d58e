// The VEDRA engine: the Portuguese voice that drives an MBROLA synthesizer.
// Text goes through normalisation, the token list, transcription and the
// MBROLA lines; the library turns the lines into 16000 Hz 16-bit samples,
// which are played through the wave-out player in chunks of about half a
// second, or appended to a WAV file (file mode).
//
// Engine states:
//   closed --vedra_init true--> ready (playing, or file mode with an output file)
//   ready  --vedra_close-->     closed (the file's header completed)
//   closed --vedra_init false-> closed (the library may stay loaded after a
//                               data-file failure; vedra_close releases it)
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "sound/wave_player.h"
#include "vedra/exceptions.h"
#include "vedra/mbrola_api.h"
#include "vedra/prosody.h"
#include "vedra/tokens.h"
#include "vedra/transcribe.h"

namespace vedra {

// The MBROLA library binding as the engine uses it.
class MbrolaLibrary {
public:
    virtual ~MbrolaLibrary() = default;
    // `load_mbrola`: true when the library and all 23 entry points were found.
    virtual bool load_mbrola() = 0;
    // `unload_mbrola`: frees the library if loaded.
    virtual void unload_mbrola() = 0;
    // The entry points; valid between a successful load and the unload.
    virtual const MbrolaApi& api() const = 0;
    // `find_voice_database`: replaces the voice name by the database path
    // when the registry holds one.
    virtual void find_voice_database(std::string& voice) = 0;
};

// The five data files.
struct DataFiles {
    std::string rules = "portug.nrl";
    std::string exceptions = "portug.exc";
    std::string abbreviations = "portug.abr";
    std::string prosody = "portug.pro";
    std::string diphone_list = "portug.dfn";
};

// The text stages and their tables: everything between a text and its MBROLA
// lines. Usable without a synthesizer (falar prints every stage).
class Frontend {
public:
    // Frees the tables and loads the five files, in the engine's order.
    // Returns "" or the engine message for the first file that failed.
    std::string load(host::Files& files, const DataFiles& paths, const ShowMessage& show);
    void free_tables();

    std::string normalise(std::string_view text) const;
    TokenList token_list(std::string_view normalised_text) const;
    PhonemeScript phoneme_script(const TokenList& tokens) const;
    MbrolaLines mbrola_lines(const PhonemeScript& script, double duration_factor,
                             double pitch_factor);

    RuleTable rules;
    ExceptionTable exceptions;
    AbbreviationTable abbreviations;
    Prosody prosody;
    DiphoneList diphones;
    // The line generator's state kept from one text to the next.
    std::string current_symbol;
};

class Engine {
public:
    static constexpr uint32_t rate_hz = 16000;
    static constexpr int read_samples = 16000;
    static constexpr size_t chunk_bytes = 16000;  // a chunk is played before it reaches this
    static constexpr size_t play_capacity = 32000;
    static constexpr size_t shortest_chunk_bytes = 256;
    static constexpr size_t max_message_chars = 255;

    Engine(host::Host& host, sound::WavePlayer& player, MbrolaLibrary& library);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void vedra_set_output_file(std::string_view name);
    // Empty arguments take their defaults ("br4", "portug.nrl", ...).
    bool vedra_init(std::string_view voice, std::string_view rules, std::string_view exceptions,
                    std::string_view abbreviations, std::string_view prosody,
                    std::string_view diphone_list);
    void vedra_set_factors(double duration_factor, double pitch_factor);
    // False when the library reported an error or the output file could not
    // be written; the whole text is spoken all the same.
    bool vedra_speak(std::string_view text);
    bool vedra_busy();
    void vedra_stop();
    void vedra_close();

    const std::string& engine_message() const { return message_; }
    bool file_mode() const { return file_mode_; }
    bool ready() const { return ready_; }
    double duration_factor() const { return duration_factor_; }
    double pitch_factor() const { return pitch_factor_; }
    Frontend& frontend() { return frontend_; }

private:
    void set_message(std::string_view utf8);
    // Hands the play buffer's chunk to the player.
    void play_chunk();

    host::Host& host_;
    sound::WavePlayer& player_;
    MbrolaLibrary& library_;
    Frontend frontend_;

    std::string output_name_;
    bool file_mode_ = false;
    std::string output_path_;
    std::vector<uint8_t> output_;  // the output file's bytes, header first
    std::string message_;
    double duration_factor_ = 1.0;
    double pitch_factor_ = 1.0;
    bool loaded_ = false;  // the library is loaded and init_MBR succeeded
    bool ready_ = false;

    std::vector<int16_t> read_buffer_;
    std::vector<uint8_t> play_buffer_;
    size_t play_fill_ = 0;
};

}  // namespace vedra
