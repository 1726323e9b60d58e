#include "diphone/diphone_synth.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

#include "diphone/bank.h"
#include "diphone/letter_to_sound.h"

namespace diphone {
namespace {

// The folders are kept whole: an 80-character cut made an ordinary deep
// install (a home folder) fail to start.
constexpr size_t folder_buffer_bytes = std::numeric_limits<size_t>::max();
constexpr size_t max_bank_name_chars = 8;
constexpr size_t max_unit_name_chars = 12;

std::string with_backslash(std::string folder) {
    // A native folder may already end in "/"; either separator will do.
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder.push_back('\\');
    return folder;
}

std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

// The synthesizer's life:
//   Stopped --start_diphone_synth ok--> Running --stop_diphone_synth--> Stopped
//   Stopped --start fails (1 or 2)--> Stopped (whatever was opened stays until stop)
// Running holds the index, the open data file, the tables and the buffer.
struct DiphoneSynth::State : UnitPlayer {
    State(DiphoneSynth& owner, host::Files& files, host::Random& random, SpeechOutput& output)
        : owner(owner), files(files), random(random), output(output) {}

    DiphoneSynth& owner;
    host::Files& files;
    host::Random& random;
    SpeechOutput& output;

    SynthSettings settings;
    Lexicon lexicon;
    DiphoneIndex index;
    std::unique_ptr<host::InputFile> data;
    std::unique_ptr<SpeechBuffer> buffer;
    std::string letters_folder;
    std::string diphone_folder;
    bool running = false;

    bool open_diphone_bank();
    void report(std::string_view name, bool found) {
        if (owner.on_unit) owner.on_unit(name, found);
    }
    // Copies up to `wanted` bytes from `file` at `offset` into the buffer;
    // false when nothing could be read.
    bool append_from(host::InputFile& file, uint64_t offset, uint64_t wanted);

    // UnitPlayer
    void begin_utterance() override { buffer->reset(); }
    bool play_unit(std::string_view name, StressMode mode, double length_factor) override;
    bool play_letter_sound(std::string_view name) override;
    void append_silence(int samples) override { buffer->append_silence(samples); }
    void append_noise() override { buffer->append_noise(random); }
    void flush_speech() override { buffer->flush_speech(); }
};

bool DiphoneSynth::State::open_diphone_bank() {
    letters_folder =
        with_backslash(host::read_profile_string(files, "KORALU.INI", "TRADUTOR", "dirLetras",
                                                 "c:\\morbel\\som\\letras", folder_buffer_bytes));
    diphone_folder =
        with_backslash(host::read_profile_string(files, "KORALU.INI", "TRADUTOR", "DIRDIFONES",
                                                 "c:\\morbel\\som\\difones", folder_buffer_bytes));

    // Both folders must exist. They are tested, not entered: the current
    // folder is the program's, and a relative folder means the same here as
    // in the file paths below.
    if (!files.directory_exists(letters_folder) || !files.directory_exists(diphone_folder))
        return false;

    const std::string bank = diphone_folder + settings.bank_name.substr(0, max_bank_name_chars);
    std::vector<uint8_t> index_bytes;
    if (!files.read_whole(bank + ".IND", index_bytes)) return false;
    data = files.open_read(bank + ".DIF");
    if (!data) return false;
    index = DiphoneIndex(index_bytes);
    return true;
}

bool DiphoneSynth::State::append_from(host::InputFile& file, uint64_t offset, uint64_t wanted) {
    // A unit that runs past the end of its file is cut there, and one that
    // starts past it is refused; a piece never exceeds an empty block's room.
    const uint64_t size = file.size();
    const uint64_t available = offset < size ? size - offset : 0;
    const auto count =
        static_cast<size_t>(std::min<uint64_t>({wanted, available, SpeechBuffer::max_piece_bytes}));
    if (count == 0) return wanted == 0 && offset <= size;
    if (!file.seek(offset)) return false;
    buffer->ensure_room(count);
    const size_t got = file.read(buffer->write_pointer(), count);
    buffer->commit(got);
    return got > 0;
}

bool DiphoneSynth::State::play_unit(std::string_view unit, StressMode mode, double length_factor) {
    const std::string name = upper_case(unit.substr(0, max_unit_name_chars));
    const IndexRecord* record = index.find(name);
    bool found = false;
    if (record && data) {
        const bool shorten = mode != StressMode::stressed && name.size() > 2;
        const size_t cut = cut_unit_length(record->length_bytes, shorten, settings.cut_amount,
                                           settings.minimum_length);
        const auto count =
            static_cast<uint64_t>(static_cast<double>(cut) * std::max(length_factor, 0.0));
        found = append_from(*data, record->offset, count);
    }
    report(name, found);
    return found;
}

bool DiphoneSynth::State::play_letter_sound(std::string_view unit) {
    const std::string name(unit.substr(0, max_unit_name_chars));
    bool found = false;
    if (auto file = files.open_read(letters_folder + name + ".wav")) {
        const WavDataChunk chunk = find_wav_data(*file);
        // An empty "data" chunk counts as missing.
        if (chunk.found && chunk.length_bytes > 0)
            found = append_from(*file, chunk.offset, chunk.length_bytes);
    }
    report(name, found);
    return found;
}

DiphoneSynth::DiphoneSynth(host::Files& files, host::Random& random, SpeechOutput& output)
    : state_(new State(*this, files, random, output)) {}

DiphoneSynth::~DiphoneSynth() {
    delete state_;
}

void DiphoneSynth::apply_settings(const SynthSettings& settings) {
    state_->settings = settings;
    if (state_->settings.bank_name.size() > max_bank_name_chars)
        state_->settings.bank_name.resize(max_bank_name_chars);
}

const SynthSettings& DiphoneSynth::settings() const {
    return state_->settings;
}

int DiphoneSynth::start_diphone_synth() {
    stop_diphone_synth();
    if (!state_->open_diphone_bank()) return 1;
    const std::string& folder = state_->diphone_folder;
    if (!load_diphone_rules(state_->files, folder + "regras.rgr", state_->lexicon)) return 2;
    if (!load_diphone_exceptions(state_->files, folder + "portug.exc", state_->lexicon)) return 2;
    state_->buffer = std::make_unique<SpeechBuffer>(state_->output);
    state_->running = true;
    return 0;
}

void DiphoneSynth::stop_diphone_synth() {
    state_->buffer.reset();
    free_diphone_rules(state_->lexicon);
    state_->data.reset();
    state_->index = DiphoneIndex();
    state_->running = false;
}

bool DiphoneSynth::running() const {
    return state_->running;
}

std::string DiphoneSynth::convert_to_phonemes(std::string_view text) {
    return diphone::convert_to_phonemes(state_->lexicon, text);
}

void DiphoneSynth::speak_phonemes(std::string_view phonemes, bool no_pause) {
    // Nothing can sound before a successful start.
    if (!state_->running) return;
    diphone::speak_phonemes(phonemes, no_pause, state_->settings.word_silence, *state_,
                            &unit_stats);
}

const std::string& DiphoneSynth::letters_folder() const {
    return state_->letters_folder;
}
const std::string& DiphoneSynth::diphone_folder() const {
    return state_->diphone_folder;
}
const Lexicon& DiphoneSynth::lexicon() const {
    return state_->lexicon;
}

}  // namespace diphone
