// The whole program over the fixture family folder, checked as traces of what
// the child sees and hears, with virtual times.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using apptest::Expect;
using apptest::run_program;
using Lines = std::vector<std::string>;

// Introduction to its end, the first key at 2 s, the box opened by SPACE.
constexpr std::string_view opening = "wait 2000 SPACE SPACE ";

Expect opened() {
    Expect e;
    e.introduction(2000).box_game_opened_at_once();
    return e;
}

bool contains(const Lines& lines, std::string_view suffix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= suffix.size() &&
               line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

TEST(Program, OpeningBoxGameAndClosingAfterTheGracePeriod) {
    const auto run = run_program(std::string(opening) + "ESC wait 4000 ENTER");
    Expect e = opened();
    e.prompt_and_key();
    e.closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
    EXPECT_EQ(run.exit_code, 0);
    // Start-up: the title, and a 640 x 480 client area centred in the
    // 1024 x 734 work area with 4-pixel frames and a 23-pixel caption.
    EXPECT_TRUE(contains(run.all, " title Zimbalot"));
    EXPECT_TRUE(contains(run.all, " window-move 188 111 648 511"));
}

TEST(Program, IdlePromptAfterEightAndSixteenSeconds) {
    // SPACE opens the box at 2400; ESC comes 18 s later.
    const auto run = run_program(std::string(opening) + "wait 18000 ESC wait 4000 ENTER");
    const Lines expected{
        "3200 picture sopaletr",  "3200 sound plin.wav",      "11300 sound plin.wav",
        "11400 sound plin.wav",   "19500 sound plin.wav",     "19600 sound plin.wav",
        "20700 picture caixaber", "20700 sound fechando.wav", "23300 picture caixa",
        "23300 sound tchan.wav",  "23400 sound aeioufim.wav", "24400 exit 0"};
    ASSERT_GE(run.trace.size(), expected.size());
    EXPECT_EQ(Lines(run.trace.end() - expected.size(), run.trace.end()), expected);
}

TEST(Program, AQuickBurstCountsAsOneKey) {
    const auto run = run_program(std::string(opening) + "type \"bb\" ESC wait 4000 ENTER");
    Expect e = opened();
    // B has a picture, B1 and (as b2.wav) B2.
    e.prompt_and_key().picture("B").sound("B1").bigchar('B').sound("B2");
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, KeysThatAreNotAnswersAreRefused) {
    // An arrow alone is an extended key (0, code); F1 too; "?" is no answer.
    for (const char* refused : {"UP", "F1", "?", "ENTER"}) {
        SCOPED_TRACE(refused);
        const auto run = run_program(std::string(opening) + refused + " Z ESC wait 4000 ENTER");
        Expect e = opened();
        e.prompt_and_key().sound("saidessa").key_in_idle_step().bigchar('Z');
        e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
        EXPECT_EQ(run.trace, e.lines());
    }
}

TEST(Program, TheFourthAndSeventhPressOfOneKeyAreRefused) {
    // P: presented; C: "cansado" and the prompt again without the background.
    const struct {
        int presses;
        std::string_view pattern;
    } cases[] = {{4, "PPPC"}, {5, "PPPCP"}, {6, "PPPCPP"}, {7, "PPPCPPC"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.presses);
        std::string script(opening);
        for (int i = 0; i < c.presses; ++i) script += "A ";
        const auto run = run_program(script + "Z ESC wait 4000 ENTER");
        Expect e = opened();
        bool background = true;
        for (char step : c.pattern) {
            if (background) e.picture("sopaletr");
            e.sound("plin").key_in_idle_step();
            if (step == 'P') {
                e.picture("A").sound("A1").bigchar('A');
                background = true;
            } else {
                e.sound("cansado");
                background = false;
            }
        }
        if (background) e.picture("sopaletr");
        e.sound("plin").key_in_idle_step().bigchar('Z');
        e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
        EXPECT_EQ(run.trace, e.lines());
    }
}

// Not F among letters without files: the cue f2.wav is also F's second sound.
TEST(Program, TheTwelfthKeyAndStarStartTheVowelGame) {
    const uint32_t seed = apptest::seed_for_first_vowel('E');
    // Five letters and "*": a game for E. Then eleven letters and the twelfth
    // starts a game for I, so "*" reset the count.
    const auto run = run_program(std::string(opening) +
                                     "D Y G H J * E K L M N P Q R S T V W X I "
                                     "ESC wait 4000 ENTER",
                                 seed);
    Expect e = opened();
    for (char c : std::string_view("DYGHJ")) e.letter_without_files(c);
    e.prompt_and_key().vowel_game_found_at_once('E');
    for (char c : std::string_view("KLMNPQRSTVW")) e.letter_without_files(c);
    e.prompt_and_key().vowel_game_found_at_once('I');
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, TheTwelfthKeyIsUsedUpEvenWhenItIsEsc) {
    const uint32_t seed = apptest::seed_for_first_vowel('O');
    const auto run =
        run_program(std::string(opening) + "D Y G H J K L M N P Q ESC O ESC wait 4000 ENTER", seed);
    Expect e = opened();
    for (char c : std::string_view("DYGHJKLMNPQ")) e.letter_without_files(c);
    e.prompt_and_key().vowel_game_found_at_once('O');
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, EscThenAnotherKeyWithinTheGraceGoesBackToTheLoop) {
    const auto run = run_program(std::string(opening) + "ESC wait 1000 A Z ESC wait 4000 ENTER");
    Expect e = opened();
    e.prompt_and_key().picture("caixaber").sound("fechando");
    e.key_at(e.last_key_ms() + 1000);  // A cancels the closing and is not shown
    e.letter_without_files('Z');
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, EscEscClosesAtOnce) {
    const auto run = run_program(std::string(opening) + "ESC ESC wait 4000 ENTER");
    Expect e = opened();
    e.prompt_and_key().picture("caixaber").sound("fechando").key_in_idle_step();
    e.ending(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, LetterFilesAreEachOptional) {
    // Z has no files: only the big letter. C has only C3.WAV.
    const auto run = run_program(std::string(opening) + "Z C ESC wait 4000 ENTER");
    Expect e = opened();
    e.letter_without_files('Z');
    e.prompt_and_key().bigchar('C').sound("C3");
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, DigitsRunTheNumberActivity) {
    // The activity waits 1 s at its end, so the next key comes later.
    const auto run =
        run_program(std::string(opening) + "0 wait 3000 3 wait 4000 ESC wait 4000 ENTER");
    Expect e = opened();
    e.prompt_and_key().picture("numeros").sound("sounumer").bigchar('0').wait(1000);
    e.picture("sopaletr").sound("plin").key_at(e.last_key_ms() + 3000);
    e.picture("numeros").sound("sounumer").bigchar('3');
    for (int i = 0; i < 3; ++i) e.sound("toc").wait(400);
    e.sound("3").wait(1000);
    e.picture("sopaletr").sound("plin").key_at(e.last_key_ms() + 4000);
    e.closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, SpacePlaysTheAlphabetSong) {
    const auto run = run_program(std::string(opening) + "SPACE ESC wait 4000 ENTER");
    Expect e = opened();
    e.prompt_and_key().sound("chaaaaan").picture("abcdefg").sound("abcdefgh").sound("chaaaaan");
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, TheBoxOpensOnlyForAVowelOrSpace) {
    const auto run = run_program("wait 2000 SPACE B e ESC wait 4000 ENTER");
    Expect e;
    e.introduction(2000).picture("caixa").sound("f2").sound("intro3").sound("aptec");
    e.sound("plin").key_in_idle_step().sound("nanani");
    e.sound("plin").key_in_idle_step();  // "e" is taken as "E"
    e.sound("musabert").picture("caixaber").sound("abriu").sound("boaideia");
    e.prompt_and_key().closing_after_grace(e.last_key_ms() + 4000);
    EXPECT_EQ(run.trace, e.lines());
}

TEST(Program, EscInTheBoxGameEndsWithoutTheFinalChord) {
    const auto run = run_program("wait 2000 SPACE ESC wait 4000 ENTER");
    Expect e;
    e.introduction(2000).picture("caixa").sound("f2").sound("intro3").sound("aptec");
    e.sound("plin").key_in_idle_step().sound("aeioufim");
    e.at(e.last_key_ms() + 4000).exit(0);
    EXPECT_EQ(run.trace, e.lines());
    EXPECT_EQ(run.exit_code, 0);
}

TEST(Program, EscAsTheFirstKeySkipsTheBoxGameAndTheLoop) {
    const auto run = run_program("wait 2000 ESC wait 4000 ENTER");
    Expect e;
    e.introduction(2000).ending(6000);
    EXPECT_EQ(run.trace, e.lines());
    EXPECT_EQ(run.exit_code, 0);
}

TEST(Program, AKeyCutsTheIntroductionShort) {
    // ESC arrives while intro2 plays (from 300 ms) and is the key read next.
    const auto run = run_program("ESC wait 4000 ENTER");
    Expect e;
    e.picture("capa").sound("mustlink").sound("intro1").picture("intro").sound("f2");
    e.ending(4300);
    EXPECT_EQ(run.trace, e.lines());
    EXPECT_TRUE(contains(run.all, "300 wave-open 8000 8 1"));
}

}  // namespace
