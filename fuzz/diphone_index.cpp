// A whole synthesizer over in-memory files built from the input: the bank
// index, a letter sound and the bank data. Input layout: index length and
// letter-sound length (2 bytes each, little-endian), then the index, the
// letter sound, and the rest as the data file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "diphone/bank.h"
#include "diphone/diphone_synth.h"
#include "host/files.h"

namespace {

class MemoryInput : public host::InputFile {
public:
    explicit MemoryInput(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t read(uint8_t* buffer, size_t length) override {
        const size_t n =
            position_ < bytes_.size() ? std::min(length, bytes_.size() - position_) : 0;
        std::copy_n(bytes_.data() + position_, n, buffer);
        position_ += n;
        return n;
    }
    bool seek(uint64_t offset) override {
        position_ = static_cast<size_t>(std::min<uint64_t>(offset, SIZE_MAX));
        return true;
    }
    uint64_t size() const override { return bytes_.size(); }

private:
    const std::vector<uint8_t>& bytes_;
    size_t position_ = 0;
};

class MemoryFiles : public host::Files {
public:
    std::map<std::string, std::vector<uint8_t>> files;
    std::unique_ptr<host::InputFile> open_read(std::string_view path) override {
        const auto it = files.find(std::string(path));
        if (it == files.end()) return nullptr;
        return std::make_unique<MemoryInput>(it->second);
    }
    bool read_whole(std::string_view path, std::vector<uint8_t>& out) override {
        const auto it = files.find(std::string(path));
        if (it == files.end()) return false;
        out = it->second;
        return true;
    }
    bool write_whole(std::string_view, const std::vector<uint8_t>&) override { return false; }
    bool file_exists(std::string_view path) override { return files.count(std::string(path)) > 0; }
    bool directory_exists(std::string_view path) override { return path == "/l/" || path == "/d/"; }
    std::string current_directory() override { return current_; }
    bool set_current_directory(std::string_view path) override {
        if (!directory_exists(path) && path != "/") return false;
        current_ = std::string(path);
        return true;
    }
    std::string windows_folder() override { return "/w"; }
    std::string native_path(std::string_view path) override { return std::string(path); }

private:
    std::string current_ = "/";
};

struct NullOutput : diphone::SpeechOutput {
    size_t images = 0;
    void play_image_and_wait(const uint8_t* image, size_t length) override {
        if (length < 44 || length > diphone::SpeechBuffer::capacity_bytes || image[0] != 'R')
            std::abort();
        ++images;
    }
};

std::vector<uint8_t> bytes_of(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t index_length = std::min<size_t>(data[0] | data[1] << 8, size - 4);
    const size_t wav_length = std::min<size_t>(data[2] | data[3] << 8, size - 4 - index_length);
    const uint8_t* p = data + 4;

    MemoryFiles files;
    files.files["/w/KORALU.INI"] = bytes_of("[TRADUTOR]\ndirLetras=/l/\nDIRDIFONES=/d/\n");
    files.files["/d/regras.rgr"] = bytes_of("");
    files.files["/d/portug.exc"] = bytes_of("");
    files.files["/d/DIFONES2.IND"] = std::vector<uint8_t>(p, p + index_length);
    files.files["/l/_98.wav"] =
        std::vector<uint8_t>(p + index_length, p + index_length + wav_length);
    files.files["/d/DIFONES2.DIF"] =
        std::vector<uint8_t>(p + index_length + wav_length, data + size);

    // Every stored name must be found by the search when the index is sorted.
    const diphone::DiphoneIndex index(files.files["/d/DIFONES2.IND"]);
    const auto& records = index.records();
    const bool sorted =
        std::is_sorted(records.begin(), records.end(),
                       [](const auto& a, const auto& b) { return a.name < b.name; });
    if (sorted)
        for (const auto& r : records)
            if (!index.find(r.name)) std::abort();

    host::Random random(1);
    NullOutput output;
    diphone::DiphoneSynth synth(files, random, output);
    diphone::SynthSettings settings;
    settings.cut_amount = data[0] * 7;
    settings.minimum_length = data[1] * 5;
    synth.apply_settings(settings);
    if (synth.start_diphone_synth() != 0) std::abort();
    std::string phonemes = "[ /_b][ka zA da][be^][ba~][tras][ /_,]";
    // Ask for the stored units too, written as the rules would write them.
    for (size_t i = 0; i < records.size() && i < 16; ++i) {
        std::string group = records[i].name.substr(records[i].name.empty() ? 0 : 1);
        for (char& c : group)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        phonemes += "[" + group + "]";
    }
    synth.speak_phonemes(phonemes, false);
    synth.stop_diphone_synth();
    return 0;
}
