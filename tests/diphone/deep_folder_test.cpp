// Folders from KORALU.INI of any length: an ordinary install deep inside a
// home folder has paths well over 80 characters.
#include <gtest/gtest.h>

#include "diphone/diphone_synth.h"
#include "diphone_helpers.h"
#include "support.h"

namespace {

TEST(Synth, DeepFoldersAreKeptWhole) {
    diphone_test::SynthFolders folders;
    const std::string deep = folders.root + "/" + std::string(70, 'p') + "/" + std::string(70, 'q');
    folders.letters = deep + "/letras";
    folders.diphones = deep + "/difones";
    ASSERT_GT(folders.letters.size(), 150u);
    testsupport::write_file(folders.letters + "/.keep", "");
    folders.write_ini("[TRADUTOR]\ndirLetras=" + folders.letters +
                      "\nDIRDIFONES=" + folders.diphones + "\n");
    folders.write_rules("(A)=a|\n");
    folders.write_exceptions("");
    folders.write_bank("DIFONES2", {{"$A", diphone_test::filled(10, 1)}});

    host::native::Files files{host::ConfigFolders::only(folders.windows)};
    diphone_test::RecordingOutput output;
    host::Random random;
    diphone::DiphoneSynth synth(files, random, output);
    ASSERT_EQ(synth.start_diphone_synth(), 0);
    EXPECT_EQ(synth.letters_folder(), folders.letters + "\\");
    EXPECT_EQ(synth.diphone_folder(), folders.diphones + "\\");
    synth.stop_diphone_synth();
}

}  // namespace
