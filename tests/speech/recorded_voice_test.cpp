#include <gtest/gtest.h>

#include "rig.h"

namespace {

using speechtest::Rig;
using Said = std::vector<std::string>;

uint64_t time_of(const std::string& line) {
    return std::stoull(line.substr(0, line.find(' ')));
}

TEST(PlayNumberWords, PiecesFeminineEndAndEmptyWords) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    struct Case {
        const char* words;  // Windows-1252
        bool feminine;
        Said expected;
    };
    const Case cases[] = {
        {"vinte e um", true, {"say-number _vinte _e _uma"}},
        {"vinte e um", false, {"say-number _vinte _e _um"}},
        {"dois", true, {"say-number _duas"}},
        {"um mil ", true, {"say-number _um _mil"}},
        {"dezessete mil e dezesseis", false, {"say-number _dezeset _mil _e _dezesse"}},
        {"um milh\xE3o e dois milh\xF5"
         "es",
         false,
         {"say-number _um _milhao _e _dois _milhoes"}},
        {"quatorze trilh\xF5"
         "es",
         false,
         {"say-number _quatorz _trilhoe"}},
        {"", false, {}},
        {"   ", true, {}},
        {"nada", false, {}},
    };
    for (const Case& c : cases) {
        const size_t from = rig.mark();
        rig.speech.play_number_words(c.words, c.feminine);
        EXPECT_EQ(rig.said(from), c.expected) << c.words;
    }
}

TEST(PlayNumberWords, AFullBufferIsPlayedFirstAndOddPiecesStayInside) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    const std::string letters = rig.fixture.letters() + "/";
    speechtest::write_bytes(letters + "_vinte.wav", speechtest::wav_bytes(20000));
    speechtest::write_bytes(letters + "_e.wav", speechtest::wav_bytes(5000));
    speechtest::write_bytes(letters + "_uma.wav", speechtest::wav_bytes(6000));
    speechtest::write_bytes(letters + "_cem.wav", speechtest::wav_bytes(40000));
    speechtest::write_bytes(letters + "_dez.wav", std::vector<uint8_t>(20, 1));

    size_t from = rig.mark();
    rig.speech.play_number_words("vinte e um", true);
    EXPECT_EQ(rig.said(from), (Said{"say-number _vinte _e", "say-number _uma"}));
    EXPECT_EQ(rig.lines(from, "wave-block"), (Said{"wave-block 25000", "wave-block 6000"}));

    // Longer than the buffer: cut to it. Shorter than a header: skipped.
    from = rig.mark();
    rig.speech.play_number_words("dez cem dez e", false);
    EXPECT_EQ(rig.said(from), (Said{"say-number _cem", "say-number _e"}));
    EXPECT_EQ(rig.lines(from, "wave-block"), (Said{"wave-block 30000", "wave-block 5000"}));
}

TEST(RecordedVoice, NamedSoundsComeFromTheLettersOrTheSoundFolder) {
    Rig rig;
    rig.write_ini();
    ASSERT_EQ(rig.speech.start_speech_checked(3, "/sons"), 0);
    const size_t from = rig.mark();
    rig.speech.play_named_sound("_zero");
    rig.speech.play_named_sound("intro2");
    rig.speech.play_character_sound(65);
    EXPECT_EQ(
        rig.lines(from, "say-file"),
        (Said{"say-file " + rig.fixture.letters() + "\\_zero.wav", "say-file /sons\\intro2.wav",
              "say-file " + rig.fixture.letters() + "\\_65.wav"}));
    EXPECT_EQ(rig.speech.play_named_sound("_falta"), -1);
}

// A key pressed while a long number is spoken stops the sound at once; the
// pieces still to come are each stopped at once too, and the key stays queued.
TEST(RecordedVoice, AKeyDuringANumberStopsEveryPieceAndStaysQueued) {
    Rig rig("wait 300 A", 12000);
    ASSERT_EQ(rig.start(), 0);
    const size_t from = rig.mark();
    rig.speech.speak("2512");

    EXPECT_EQ(rig.said(from),
              (Said{"say-number _dois _mil", "say-number _e _quinhen", "say-number _e _doze"}));
    const auto& lines = rig.headless.backend->trace_lines();
    uint64_t stop_at = 0;
    std::vector<uint64_t> number_times;
    for (size_t i = from; i < lines.size(); ++i) {
        const std::string event = lines[i].substr(lines[i].find(' ') + 1);
        if (event == "wave-stop" && stop_at == 0) stop_at = time_of(lines[i]);
        if (event.starts_with("say-number")) number_times.push_back(time_of(lines[i]));
        if (event.starts_with("wave-block") && stop_at != 0)
            ADD_FAILURE() << "played after the key: " << lines[i];
    }
    const uint64_t started = time_of(lines[from]);
    EXPECT_EQ(stop_at, started + 300);
    ASSERT_EQ(number_times.size(), 3u);
    EXPECT_EQ(number_times[1], stop_at);
    EXPECT_EQ(number_times[2], stop_at);
    EXPECT_EQ(rig.headless.backend->now_ms(), stop_at);
    EXPECT_TRUE(rig.window.key_pressed());
    EXPECT_EQ(rig.window.read_key(), 'a');
}

}  // namespace
