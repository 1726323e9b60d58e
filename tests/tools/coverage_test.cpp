// The synthesizer on the generated rules, exceptions and banks: over the
// Brazilian word list every unit it asks for is in the bank (but for names too
// long for the index), and the sentences of data/frases.txt come out as sound.

// Built only with the generators (ZIMBALOT_TOOLS); a tree without them has no data set.
#ifdef ZIMBALOT_MAKE_DATASET
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "diphone/diphone_synth.h"
#include "host/common/posix_files.h"
#include "host/files.h"
#include "host/text.h"
#include "support.h"

namespace {

struct CountingOutput : diphone::SpeechOutput {
    size_t images = 0;
    size_t sample_bytes = 0;
    void play_image_and_wait(const uint8_t*, size_t image_length) override {
        ++images;
        sample_bytes += image_length > 44 ? image_length - 44 : 0;
    }
};

// The synthesizer reads its folders from KORALU.INI in the Windows folder,
// which is the generated family folder here.
class Synth : public ::testing::Test {
protected:
    void SetUp() override {
        files.folders = host::ConfigFolders::only(testsupport::binary_path("koralu"));
        const std::vector<uint8_t> ini =
            testsupport::read_file(testsupport::binary_path("koralu/KORALU.INI"));
        bank = host::find_profile_value(std::string(ini.begin(), ini.end()), "SINTETIZADOR",
                                        "DIFONES3")
                   .value_or("");
        while (!bank.empty() && (bank.back() == '\r' || bank.back() == ' ')) bank.pop_back();
        diphone::SynthSettings settings;
        settings.bank_name = bank;
        synth.apply_settings(settings);
        ASSERT_EQ(synth.start_diphone_synth(), 0);
    }
    void TearDown() override {
        synth.stop_diphone_synth();
    }
    host::common::PosixFiles files;
    host::Random random{1};
    CountingOutput output;
    diphone::DiphoneSynth synth{files, random, output};
    std::string bank;
};

TEST_F(Synth, WordListUnitsAreInTheBank) {
    std::ifstream in(ZIMBALOT_WORD_LIST);
    if (!in) GTEST_SKIP() << "no word list at " << ZIMBALOT_WORD_LIST << " (package wbrazilian)";
    std::map<std::string, uint64_t> missing;
    synth.on_unit = [&](std::string_view name, bool found) {
        if (!found) ++missing[std::string(name)];
    };
    synth.unit_stats = {};
    std::string line;
    size_t words = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        ++words;
        synth.speak_phonemes(synth.convert_to_phonemes(host::utf8_to_cp1252(line)), false);
    }
    const diphone::UnitStats& s = synth.unit_stats;
    ASSERT_GT(s.requested, 0u);
    const double coverage = 100.0 * static_cast<double>(s.found) / static_cast<double>(s.requested);
    std::printf("bank %s: %zu words, %llu units asked for, %llu found at once: %.3f %%\n",
                bank.c_str(), words, static_cast<unsigned long long>(s.requested),
                static_cast<unsigned long long>(s.found), coverage);
    for (const auto& [name, count] : missing)
        std::printf("  missing %s x%llu\n", name.c_str(), static_cast<unsigned long long>(count));
    // Only the few names too long for an index record may be missing (they
    // play through their fallbacks); more means the unit list no longer
    // matches the rules: `cmake --build build --target units`.
    EXPECT_LE(s.requested - s.found, 10u);
}

TEST_F(Synth, SentencesBecomeSpeech) {
    std::ifstream in(testsupport::source_path("data/frases.txt"));
    ASSERT_TRUE(in);
    std::string line;
    size_t sentences = 0;
    synth.unit_stats = {};
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t before = output.sample_bytes;
        synth.speak_phonemes(synth.convert_to_phonemes(host::utf8_to_cp1252(line)), false);
        // roughly a tenth of a second of sound per letter, at least
        EXPECT_GT(output.sample_bytes - before, line.size() * 600) << line;
        ++sentences;
    }
    EXPECT_GE(sentences, 10u);
    EXPECT_EQ(synth.unit_stats.found, synth.unit_stats.requested);
    EXPECT_EQ(synth.unit_stats.noise, 0u);
}

}  // namespace

#endif  // ZIMBALOT_MAKE_DATASET
