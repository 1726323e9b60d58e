#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "diphone_helpers.h"

namespace {

using diphone::DiphoneIndex;
using diphone::IndexRecord;
using diphone_test::filled;
using diphone_test::SynthRig;
using Units = std::map<std::string, std::vector<uint8_t>>;

// `count` bytes of `value`, appended to `out`.
void expect_run(std::vector<uint8_t>& out, size_t count, uint8_t value) {
    out.insert(out.end(), count, value);
}

TEST(Index, BinarySearchOverSortedRecords) {
    const std::vector<IndexRecord> records = {
        {"$A", 1, 0},  {"$B", 2, 1},   {"$BA", 3, 3},       {"$BE", 4, 6},
        {"$N", 5, 10}, {"$NN", 6, 15}, {"$XXXXXXX", 7, 21}, {"_98", 8, 28},
    };
    std::vector<uint8_t> bytes = diphone::encode_index(records);
    bytes.insert(bytes.end(), 14, 0xEE);  // an incomplete record is ignored
    const DiphoneIndex index(bytes);
    ASSERT_EQ(index.size(), records.size());
    for (const auto& r : records) {
        const IndexRecord* found = index.find(r.name);
        ASSERT_NE(found, nullptr) << r.name;
        EXPECT_EQ(found->length_bytes, r.length_bytes);
        EXPECT_EQ(found->offset, r.offset);
    }
    for (const char* absent : {"$", "$AA", "$C", "$b", "$XXXXXXXX", "$XXXXXXXXX", "", "~"})
        EXPECT_EQ(index.find(absent), nullptr) << absent;
    EXPECT_EQ(DiphoneIndex(std::vector<uint8_t>{}).find("$A"), nullptr);  // a 0-byte index
}

TEST(Index, FieldsAreLittleEndianAndNameLengthIsCapped) {
    std::vector<uint8_t> record = {12,  'A',  'B',  'C',  'D',  'E',  'F', 'G',
                                   'H', 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
    const DiphoneIndex index(record);
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index.records()[0].name, "ABCDEFGH");
    EXPECT_EQ(index.records()[0].length_bytes, 0x1234);
    EXPECT_EQ(index.records()[0].offset, 0x12345678u);
}

TEST(Cut, LengthTable) {
    struct Case {
        size_t length;
        bool shorten;
        int cut;
        int minimum;
        size_t result;
    };
    const Case cases[] = {
        {3000, true, 400, 1000, 2600},  {1200, true, 400, 1000, 1000}, {800, true, 400, 1000, 800},
        {3000, false, 400, 1000, 3000}, {300, true, 400, 0, 0},        {1000, true, 0, 0, 1000},
        {1000, true, -300, 0, 1000},  // a negative cut never lengthens a unit
        {300, true, 400, -50, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(diphone::cut_unit_length(c.length, c.shorten, c.cut, c.minimum), c.result)
            << c.length << " " << c.cut << " " << c.minimum;
}

TEST(SpeechBuffer, SilenceNoiseAndFlushes) {
    diphone_test::RecordingOutput output;
    diphone::SpeechBuffer buffer(output);
    buffer.append_silence(250);
    EXPECT_EQ(buffer.position(), 244u);
    buffer.append_silence(99);
    buffer.append_silence(-500);
    EXPECT_EQ(buffer.position(), 244u);
    host::Random random(3);
    buffer.append_noise(random);
    EXPECT_EQ(buffer.position(), 544u);
    buffer.flush_speech();
    ASSERT_EQ(output.images.size(), 1u);
    const auto& image = output.images[0];
    ASSERT_EQ(image.size(), 544u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "RIFF");
    EXPECT_EQ(image[40] | image[41] << 8, 500);    // data size
    EXPECT_EQ(image[24] | image[25] << 8, 11025);  // rate
    EXPECT_EQ(image[34], 8);                       // bits
    EXPECT_TRUE(
        std::all_of(image.begin() + 44, image.begin() + 244, [](uint8_t b) { return b == 128; }));
    EXPECT_TRUE(std::all_of(image.begin() + 244, image.end(),
                            [](uint8_t b) { return b >= 88 && b <= 167; }));
    EXPECT_EQ(buffer.position(), 44u);
    buffer.flush_speech();  // nothing held: nothing handed over
    EXPECT_EQ(output.images.size(), 1u);

    // Silence that fills the block flushes before it would reach 64000.
    buffer.append_silence(70000);
    buffer.flush_speech();
    ASSERT_EQ(output.images.size(), 3u);
    EXPECT_EQ(output.images[1].size(), 63944u);  // 639 blocks of 100 after the header
    EXPECT_EQ(output.samples().size(), 500u + 70000u);
}

TEST(Synth, StartResultsAndFoldersRestored) {
    host::native::Files files;
    const std::string start_dir = files.current_directory();
    struct Case {
        const char* what;
        void (*damage)(diphone_test::SynthFolders&);
        int result;
    };
    const Case cases[] = {
        {"everything present", [](diphone_test::SynthFolders&) {}, 0},
        {"letters folder missing",
         [](diphone_test::SynthFolders& f) {
             f.write_ini("[TRADUTOR]\ndirLetras=" + f.root + "/none\nDIRDIFONES=" + f.diphones +
                         "\n");
         },
         1},
        {"diphone folder missing",
         [](diphone_test::SynthFolders& f) {
             f.write_ini("[TRADUTOR]\ndirLetras=" + f.letters + "\nDIRDIFONES=" + f.root +
                         "/none\n");
         },
         1},
        {"index missing",
         [](diphone_test::SynthFolders& f) { std::remove((f.diphones + "/DIFONES2.IND").c_str()); },
         1},
        {"data missing",
         [](diphone_test::SynthFolders& f) { std::remove((f.diphones + "/DIFONES2.DIF").c_str()); },
         1},
        {"rules missing",
         [](diphone_test::SynthFolders& f) { std::remove((f.diphones + "/regras.rgr").c_str()); },
         2},
        {"exceptions missing",
         [](diphone_test::SynthFolders& f) { std::remove((f.diphones + "/portug.exc").c_str()); },
         2},
    };
    for (const auto& c : cases) {
        diphone_test::SynthFolders folders;
        files.folders.windows = folders.windows;
        folders.write_rules("(A)=a|\n");
        folders.write_exceptions("casa=kAza\n");
        folders.write_bank("DIFONES2", {{"$A", filled(10, 1)}});
        c.damage(folders);
        diphone_test::RecordingOutput output;
        host::Random random;
        diphone::DiphoneSynth synth(files, random, output);
        EXPECT_EQ(synth.start_diphone_synth(), c.result) << c.what;
        EXPECT_EQ(synth.running(), c.result == 0) << c.what;
        EXPECT_EQ(files.current_directory(), start_dir) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(synth.letters_folder(), folders.letters + "\\");
            EXPECT_EQ(synth.convert_to_phonemes("casa"), "[ /_K/A/ /_Z/a]");
        }
        synth.stop_diphone_synth();
        EXPECT_FALSE(synth.running());
    }
}

TEST(Synth, BankNameFromSettingsAndDefaultFolders) {
    diphone_test::SynthFolders folders;
    folders.write_rules("");
    folders.write_exceptions("");
    folders.write_bank("VOZ3", {{"$A", filled(10, 1)}});
    host::native::Files files{host::ConfigFolders::only(folders.windows)};
    diphone_test::RecordingOutput output;
    host::Random random;
    diphone::DiphoneSynth synth(files, random, output);
    EXPECT_EQ(synth.settings().bank_name, "DIFONES2");
    diphone::SynthSettings settings;
    settings.bank_name = "voz3";  // files are matched without regard to case
    synth.apply_settings(settings);
    EXPECT_EQ(synth.start_diphone_synth(), 0);
    settings.bank_name = "";  // an empty name looks for ".IND"
    synth.apply_settings(settings);
    EXPECT_EQ(synth.start_diphone_synth(), 1);
    settings.bank_name = "VOZ3XXXXXX";
    synth.apply_settings(settings);
    EXPECT_EQ(synth.settings().bank_name, "VOZ3XXXX");

    folders.write_ini("");  // no keys: the built-in folders
    settings.bank_name = "VOZ3";
    synth.apply_settings(settings);
    synth.start_diphone_synth();
    EXPECT_EQ(synth.letters_folder(), "c:\\morbel\\som\\letras\\");
    EXPECT_EQ(synth.diphone_folder(), "c:\\morbel\\som\\difones\\");
}

TEST(Synth, WorkedExamplesAsUnitsAndBytes) {
    diphone::SynthSettings settings;
    settings.cut_amount = 400;
    settings.minimum_length = 0;
    settings.word_silence = 100;
    SynthRig rig({{"$T", filled(500, 1)},
                  {"$RA", filled(3000, 2)},
                  {"$S", filled(600, 3)},
                  {"$B", filled(300, 5)},
                  {"$ECIRC", filled(800, 6)},
                  {"$BACIRC", filled(1000, 7)},
                  {"$NN", filled(500, 8)}},
                 settings);
    ASSERT_EQ(rig.start_result, 0);

    rig.synth.speak_phonemes("[tras]", false);
    EXPECT_EQ(rig.fetched, (std::vector<std::string>{"$T", "$RA", "$S"}));
    std::vector<uint8_t> expected;
    expect_run(expected, 500, 1);
    expect_run(expected, 2600, 2);  // unstressed: cut by 400
    expect_run(expected, 600, 3);   // two characters: never cut
    EXPECT_EQ(rig.output.samples(), expected);

    rig.fetched.clear();
    rig.output.images.clear();
    rig.synth.speak_phonemes("[trAs]", false);
    expected.clear();
    expect_run(expected, 500, 1);
    expect_run(expected, 3000, 2);  // the stressed syllable keeps its length
    expect_run(expected, 600, 3);
    EXPECT_EQ(rig.output.samples(), expected);

    rig.fetched.clear();
    rig.output.images.clear();
    rig.synth.speak_phonemes("[be^]", false);
    EXPECT_EQ(rig.fetched, (std::vector<std::string>{"$BECIRC missing", "$B", "$ECIRC"}));
    expected.clear();
    expect_run(expected, 270, 5);  // factor 0.9
    expect_run(expected, 400, 6);
    EXPECT_EQ(rig.output.samples(), expected);

    rig.fetched.clear();
    rig.output.images.clear();
    rig.synth.speak_phonemes("[ba~]", false);
    EXPECT_EQ(rig.fetched, (std::vector<std::string>{"$BATIL missing", "$BACIRC", "$NN"}));
    expected.clear();
    expect_run(expected, 900, 7);  // stress mode 2: full length, then 0.9
    expect_run(expected, 90, 8);   // (500 - 400) * 0.9
    EXPECT_EQ(rig.output.samples(), expected);

    // Stress in the second syllable: cut, full, cut again.
    rig.output.images.clear();
    rig.synth.speak_phonemes("[ra rA ra]", false);
    expected.clear();
    expect_run(expected, 2600, 2);
    expect_run(expected, 3000, 2);
    expect_run(expected, 2600, 2);
    EXPECT_EQ(rig.output.samples(), expected);

    rig.output.images.clear();
    rig.synth.speak_phonemes("", false);
    EXPECT_TRUE(rig.output.images.empty());
}

TEST(Synth, LetterSoundsWalkChunks) {
    SynthRig rig({});
    ASSERT_EQ(rig.start_result, 0);
    auto& f = rig.folders;
    f.write_letter_sound(98, diphone_test::make_wav(filled(200, 10)));
    f.write_letter_sound(99, diphone_test::make_wav(filled(200, 11), {"LIST", "fact"}));
    f.write_letter_sound(100, diphone_test::make_wav(filled(200, 12), {}, "DATA"));
    f.write_letter_sound(101, diphone_test::make_wav({}));                         // empty data
    f.write_letter_sound(102, diphone_test::make_wav(filled(50, 1), {}, "dxta"));  // no data chunk
    auto bad_riff = diphone_test::make_wav(filled(50, 1));
    bad_riff[0] = 'X';
    f.write_letter_sound(103, bad_riff);
    auto truncated = diphone_test::make_wav(filled(200, 13));
    truncated.resize(truncated.size() - 150);  // data claims more than the file holds
    f.write_letter_sound(104, truncated);

    rig.synth.speak_phonemes("[ /_b][ /_c][ /_d]", false);
    std::vector<uint8_t> expected;
    expect_run(expected, 200, 10);
    expect_run(expected, 100, 128);
    expect_run(expected, 200, 11);
    expect_run(expected, 100, 128);
    expect_run(expected, 200, 12);
    EXPECT_EQ(rig.output.samples(), expected);
    EXPECT_EQ(rig.fetched, (std::vector<std::string>{"_98", "_99", "_100"}));

    rig.fetched.clear();
    rig.output.images.clear();
    rig.synth.speak_phonemes("[ /_e ]", false);
    rig.synth.speak_phonemes("[ /_f ]", false);
    rig.synth.speak_phonemes("[ /_g ]", false);
    rig.synth.speak_phonemes("[ /_h]", false);
    EXPECT_EQ(rig.fetched,
              (std::vector<std::string>{"_101 missing", "_102 missing", "_103 missing", "_104"}));
    EXPECT_EQ(rig.output.samples(), filled(50, 13));
}

TEST(Synth, DamagedRecordsAndOversizedUnits) {
    diphone::SynthSettings settings;
    settings.cut_amount = 0;
    SynthRig rig({{"$A", filled(30000, 1)}, {"$B", filled(30000, 2)}, {"$C", filled(30000, 3)}},
                 settings);
    ASSERT_EQ(rig.start_result, 0);
    // Three 30000-byte units fill more than one block: the third goes in a new one.
    rig.synth.speak_phonemes("[a b c]", false);
    ASSERT_EQ(rig.output.images.size(), 2u);
    EXPECT_EQ(rig.output.images[0].size(), 44u + 60000u);
    EXPECT_EQ(rig.output.images[1].size(), 44u + 30000u);

    // An index whose records point past the data, or hold more than one block.
    auto& f = rig.folders;
    std::vector<IndexRecord> records = {{"$A", 100, 89990},  // 10 bytes left in the file
                                        {"$B", 100, 95000},  // past the end: refused
                                        {"$C", 65000, 0},    // longer than a block
                                        {"$D", 0, 0}};       // found, but nothing to play
    testsupport::write_file(f.diphones + "/DIFONES2.IND", diphone::encode_index(records));
    ASSERT_EQ(rig.synth.start_diphone_synth(), 0);
    rig.output.images.clear();
    rig.fetched.clear();
    rig.synth.speak_phonemes("[a]", false);
    rig.synth.speak_phonemes("[b]", false);
    rig.synth.speak_phonemes("[c]", false);
    rig.synth.speak_phonemes("[d]", false);
    EXPECT_EQ(rig.fetched, (std::vector<std::string>{"$A", "$B missing", "$C", "$D"}));
    ASSERT_EQ(rig.output.images.size(), 3u);
    EXPECT_EQ(rig.output.images[0].size(), 44u + 10u);
    EXPECT_EQ(rig.output.images[1].size(), 44u + 300u);  // noise for the missing $B
    EXPECT_EQ(rig.output.images[2].size(), 64000u);      // cut to one block
}

TEST(Synth, NothingSoundsBeforeStart) {
    host::native::Files files;
    diphone_test::RecordingOutput output;
    host::Random random;
    diphone::DiphoneSynth synth(files, random, output);
    synth.speak_phonemes("[ /_b]", false);
    EXPECT_TRUE(output.images.empty());
    EXPECT_EQ(synth.convert_to_phonemes("bcd"), "[ /_b][ /_c][ /_d]");
}

}  // namespace
