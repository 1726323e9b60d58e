#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/text.h"
#include "rig.h"

namespace {

using speechtest::Rig;

TEST(StartSpeech, SpeedRules) {
    struct Case {
        int given;
        const char* configured;  // VELOCIDADE of TRADUTOR; nullptr = missing
        int expected;
    };
    const Case cases[] = {
        {7, "2", 3},     {0, "9", 3}, {0, "2", 2}, {-1, "4abc", 4},
        {0, nullptr, 3}, {5, "1", 5}, {1, "5", 1}, {0, "0", 3},
    };
    for (const Case& c : cases) {
        Rig rig;
        if (c.configured)
            rig.ini["TRADUTOR"]["VELOCIDADE"] = c.configured;
        else
            rig.ini["TRADUTOR"].erase("VELOCIDADE");
        ASSERT_EQ(rig.start(c.given), 0) << c.given;
        EXPECT_EQ(rig.speech.speed(), c.expected)
            << c.given << " " << (c.configured ? c.configured : "-");
        EXPECT_EQ(rig.synth.settings().bank_name, "BANCO" + std::to_string(c.expected));
    }
}

TEST(ReadSynthSettings, EachKeyWithItsReadingAndDefault) {
    Rig rig;
    auto& s = rig.ini["SINTETIZADOR"];
    s["DIFONES3"] = "BANCOLONGO";
    s["CORTEFON3"] = "12abc";
    s["SOBRAFON3"] = "12abc";
    s["INTERPAL3"] = "$64";
    s["CORTAFALA3"] = "Sim";
    s["RAPIDINHO3"] = "nao";
    s["PAUSAPONTO3"] = "abc";
    s["PAUSAVIRG3"] = "0x10";
    s["PAUSADOISPONTOS3"] = "";
    rig.write_ini();
    rig.speech.read_synth_settings(3);
    EXPECT_EQ(rig.synth.settings().bank_name, "BANCOLON");
    EXPECT_EQ(rig.synth.settings().cut_amount, 12);
    EXPECT_EQ(rig.synth.settings().minimum_length, 0);
    EXPECT_EQ(rig.synth.settings().word_silence, 100);
    EXPECT_TRUE(rig.player.shorten_speech);
    EXPECT_FALSE(rig.player.play_faster);
    EXPECT_EQ(rig.speech.full_stop_pause_ms(), 250);
    EXPECT_EQ(rig.speech.comma_pause_ms(), 16);
    EXPECT_EQ(rig.speech.colon_pause_ms(), 200);

    // Keys of another speed are not read; a missing key takes its default.
    s.clear();
    s["RAPIDINHO2"] = "S";
    s["SOBRAFON2"] = "300";
    rig.write_ini();
    rig.speech.read_synth_settings(2);
    EXPECT_EQ(rig.synth.settings().bank_name, "");
    EXPECT_EQ(rig.synth.settings().cut_amount, 0);
    EXPECT_EQ(rig.synth.settings().minimum_length, 300);
    EXPECT_FALSE(rig.player.shorten_speech);
    EXPECT_TRUE(rig.player.play_faster);
    EXPECT_EQ(rig.speech.full_stop_pause_ms(), 250);
    EXPECT_EQ(rig.speech.comma_pause_ms(), 150);
}

TEST(StartSpeech, FoldersAndLetters) {
    SKIP_ON_WINDOWS("a drive letter mapped to a folder is Linux's stand-in for a real drive");
    struct Case {
        const char* dirletras;  // nullptr = missing
        const char* sound_folder;
        const char* letters_expected;
        const char* sound_expected;
    };
    const Case cases[] = {
        {nullptr, "", "c:\\morbel\\som\\letras\\", ""},
        {"", "sons", "", "sons\\"},
        {"c:\\x", "c:\\sons\\", "c:\\x\\", "c:\\sons\\"},
    };
    // The synthesizer reads the same key and must find its folder.
    const std::string drive = testsupport::make_temp_dir("drive");
    std::filesystem::create_directories(drive + "/morbel/som/letras");
    std::filesystem::create_directories(drive + "/x");
    for (const Case& c : cases) {
        Rig rig;
        rig.headless.map_drive('c', drive);
        if (c.dirletras)
            rig.ini["TRADUTOR"]["DIRLETRAS"] = c.dirletras;
        else
            rig.ini["TRADUTOR"].erase("DIRLETRAS");
        rig.write_ini();
        ASSERT_EQ(rig.speech.start_speech_checked(3, c.sound_folder), 0) << c.sound_folder;
        EXPECT_EQ(rig.speech.letters_folder(), c.letters_expected);
        EXPECT_EQ(rig.speech.sound_folder(), c.sound_expected);
    }
}

TEST(StartSpeech, TheSapiKeyDecidesWhetherAnEngineStarts) {
    struct Case {
        const char* sapi;  // nullptr = missing
        bool starts;
    };
    const Case cases[] = {{nullptr, false}, {"", false}, {"N", false}, {"nao", false},
                          {"S", true},      {"1", true}, {"sim", true}};
    for (const Case& c : cases) {
        Rig rig;
        if (c.sapi)
            rig.ini["TRADUTOR"]["SAPI"] = c.sapi;
        else
            rig.ini["TRADUTOR"].erase("SAPI");
        ASSERT_EQ(rig.start(), 0);
        EXPECT_EQ(rig.engine.starts, c.starts ? 1 : 0) << (c.sapi ? c.sapi : "-");
        EXPECT_EQ(rig.speech.engine_active(), c.starts);
    }
}

TEST(StartSpeech, EngineRateIsLimitedForEveryTypeButFour) {
    struct Case {
        const char* type;
        int rate;
        int type_read;
    };
    const Case cases[] = {{"4", 15, 4}, {"5", 0, 5}, {"", 0, 0}, {"3", 0, 3}};
    for (const Case& c : cases) {
        Rig rig;
        rig.ini["TRADUTOR"]["SAPI"] = "S";
        rig.ini["SERVFALA"] = {
            {"VOZ", "2"}, {"VELOCIDADE", "15"}, {"TOM", "-3"}, {"TIPOSAPI", c.type}};
        rig.engine.start_result = false;
        ASSERT_EQ(rig.start(), 0);
        EXPECT_EQ(rig.engine.rate, c.rate) << c.type;
        EXPECT_EQ(rig.engine.voice, 2);
        EXPECT_EQ(rig.engine.pitch, -3);
        // The type is kept even though the engine did not start.
        EXPECT_EQ(rig.speech.engine_type(), c.type_read);
        EXPECT_FALSE(rig.speech.engine_active());
    }
}

TEST(StartSpeech, ASynthesizerThatCannotStartIsReportedThenTheProgramEndsAfterEnter) {
    Rig rig("ENTER");
    rig.ini["SINTETIZADOR"]["DIFONES3"] = "FALTA";
    EXPECT_EQ(rig.start(), 1);
    EXPECT_FALSE(rig.synth.running());
    const auto lines = rig.speech.start_failure_lines(1);
    EXPECT_EQ(host::cp1252_to_utf8(lines[0]), "Erro de inicialização: 1");
    EXPECT_EQ(lines[1], "Banco de dados de voz: FALTA");

    try {
        rig.speech.start_speech(3, "");
        FAIL() << "start_speech returned";
    } catch (const host::headless::ProcessExit& e) {
        EXPECT_EQ(e.code, 0);
    }
    std::string first_row;
    for (int col = 0; col < 24; ++col) first_row.push_back(char(rig.window.cell_character(col, 0)));
    EXPECT_EQ(first_row, host::w1252("Erro de inicialização: 1"));
}

TEST(EndSpeech, SpeaksWhatWasCollectedThenStopsEverything) {
    Rig rig;
    rig.ini["TRADUTOR"]["SAPI"] = "S";
    ASSERT_EQ(rig.start(), 0);
    ASSERT_TRUE(rig.speech.engine_active());
    rig.speech.collect_mode = true;
    rig.speech.speak("bom");
    rig.speech.speak("dia");
    EXPECT_TRUE(rig.engine.spoken.empty());
    rig.speech.end_speech();
    ASSERT_EQ(rig.engine.spoken.size(), 1u);
    EXPECT_EQ(rig.engine.spoken[0], " bom dia");
    EXPECT_EQ(rig.engine.closes, 1);
    EXPECT_FALSE(rig.speech.engine_active());
    EXPECT_FALSE(rig.synth.running());
    EXPECT_TRUE(rig.speech.collected_text().empty());
}

}  // namespace
