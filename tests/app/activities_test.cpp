// The activities and helpers driven one at a time after start-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/zimbalot.h"
#include "fixture.h"
#include "host/random.h"
#include "host/text.h"

namespace {

using apptest::Bench;
using apptest::Expect;
using Lines = std::vector<std::string>;

// Events without their times.
Lines untimed(const Lines& lines) {
    Lines out;
    for (const auto& line : lines) out.push_back(line.substr(line.find(' ') + 1));
    return out;
}

Lines repeated(std::string_view line, int times) {
    return Lines(times, std::string(line));
}

Lines join(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Lines applause{"picture aplauso", "sound aplauso.wav", "sound parabens.wav"};

Lines hunt_start(char vowel) {
    return {"sound tingting.wav", std::string("sound busca") + vowel + ".wav"};
}

TEST(VowelHunt, HintsGuessesAndApplause) {
    const std::string b15 = "B B B B B B B B B B B B B B B ";
    const struct {
        const char* name;
        char vowel;
        std::string script;
        Lines expected;
    } cases[] = {
        {"found at once", 'A', "A", join({hunt_start('A'), applause})},
        {"cold key", 'A', "H A", join({hunt_start('A'), {"sound frio.wav"}, applause})},
        {"lower case", 'O', "p o", join({hunt_start('O'), {"sound pelando.wav"}, applause})},
        // "u" in the table of I has no sound but is still a guess.
        {"no hint", 'I', "U I", join({hunt_start('I'), applause})},
        {"not a letter", 'E', "1 UP F1 ESC E",
         join({hunt_start('E'), repeated("sound chaaaaan.wav", 4), applause})},
        {"burst", 'A', "type \"HQA\"", join({hunt_start('A'), applause})},
        {"sixteen wrong", 'A', b15 + "B", join({hunt_start('A'), repeated("sound morno.wav", 16)})},
        {"found on the 16th", 'A', b15 + "A",
         join({hunt_start('A'), repeated("sound morno.wav", 15)})},
        {"found on the 15th", 'U', b15.substr(2) + "U",
         join({hunt_start('U'), repeated("sound morno.wav", 14), applause})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(c.script);
        bench.program->start_up();
        const size_t mark = bench.mark();
        EXPECT_EQ(bench.run([&] { bench.program->vowel_hunt(static_cast<uint8_t>(c.vowel)); }), -1);
        EXPECT_EQ(untimed(bench.events_since(mark)), c.expected);
    }
}

TEST(VowelGame, VowelsCycleFromTheStartIndex) {
    Bench bench("E I O U A");
    bench.program->start_up();
    bench.program->set_vowel_index(0);
    const size_t mark = bench.mark();
    for (int i = 0; i < 5; ++i) bench.program->vowel_game();
    Lines expected;
    for (char v : std::string_view("EIOUA")) {
        expected.push_back("picture interrog");
        expected.push_back("sound aeiou.wav");
        for (const auto& line : hunt_start(v)) expected.push_back(line);
        for (const auto& line : applause) expected.push_back(line);
        expected.push_back("picture caixaber");
        expected.push_back("sound aeiou2.wav");
    }
    EXPECT_EQ(untimed(bench.events_since(mark)), expected);
    EXPECT_EQ(bench.program->vowel_index(), 0);
}

TEST(StartUp, RandomVowelTitleAndPlacement) {
    for (uint32_t seed : {1u, 7u, 12345u}) {
        Bench bench("", seed);
        bench.program->start_up();
        host::Random random(seed);
        EXPECT_EQ(bench.program->vowel_index(), static_cast<int>(random.next(5)));
        const auto& window = bench.headless.host().window;
        EXPECT_EQ(window.client_width(), 640);
        EXPECT_EQ(window.client_height(), 480);
        EXPECT_TRUE(std::filesystem::equivalent(bench.headless.host().files.current_directory(),
                                                bench.family.program_folder));
    }
}

TEST(StartUp, FallsBackToTheDriveFolderAndThenStaysWhereItIs) {
    SKIP_ON_WINDOWS("a drive letter mapped to a folder is Linux's stand-in for a real drive");
    {
        // No DIRZIMBALOT: c:\zimbalot, through the drive mapping, is the family's.
        Bench bench("", 1, false);
        bench.headless.map_drive('c', bench.family.root);
        bench.program->start_up();
        EXPECT_TRUE(std::filesystem::equivalent(bench.headless.host().files.current_directory(),
                                                bench.family.program_folder));
    }
    {
        // Neither folder: the program stays in the current folder, and intro2
        // is looked for there as well.
        const std::string empty_drive = testsupport::make_temp_dir("drive");
        Bench bench("", 1, false);
        bench.headless.map_drive('c', empty_drive);
        std::filesystem::current_path(bench.family.program_folder);
        bench.program->start_up();
        EXPECT_TRUE(std::filesystem::equivalent(bench.headless.host().files.current_directory(),
                                                bench.family.program_folder));
        const size_t mark = bench.headless.backend->trace_lines().size();
        bench.context->speech.play_named_sound("intro2");
        bool opened = false;
        for (size_t i = mark; i < bench.headless.backend->trace_lines().size(); ++i)
            opened |=
                bench.headless.backend->trace_lines()[i].find("wave-open") != std::string::npos;
        EXPECT_TRUE(opened);
    }
}

TEST(NumberActivity, TocsAreFourHundredMillisecondsApart) {
    for (char digit : std::string_view("03")) {
        SCOPED_TRACE(digit);
        Bench bench;
        bench.program->start_up();
        const size_t mark = bench.mark();
        Expect e(bench.headless.backend->now_ms());
        bench.program->number_activity(static_cast<uint8_t>(digit));
        e.picture("numeros").sound("sounumer").bigchar(digit);
        for (int i = 0; i < digit - '0'; ++i) e.sound("toc").wait(400);
        if (digit == '3') e.sound("3");  // 3.WAV exists, 0.WAV does not
        EXPECT_EQ(bench.events_since(mark), e.lines());
        EXPECT_EQ(bench.headless.backend->now_ms(), e.now() + 1000);
    }
}

TEST(ReadAnswerKey, UpperCasesAndKeepsTheLastKeyOfABurst) {
    const struct {
        std::string script;
        uint8_t key;
        int refusals;
    } cases[] = {
        {"q", 'Q', 0},           {"type \"xyz\"", 'Z', 0},
        {"type \"a1\"", '1', 0}, {"type \"a?\" 7", '7', 1},     // the burst ends in a refused key
        {"LEFT *", '*', 1},      {"ctrl+alt+A SPACE", ' ', 1},  // an Alt key is extended too
        {"shift+A", 'A', 0},     {"type \"\xC3\xA7\" B", 'B', 1},  // c with cedilla is no answer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        Bench bench(c.script);
        bench.program->start_up();
        const size_t mark = bench.mark();
        uint8_t key = 0;
        bench.run([&] { key = bench.program->read_answer_key(); });
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(untimed(bench.events_since(mark)), repeated("sound saidessa.wav", c.refusals));
    }
}

TEST(RepeatGuard, CountsRunsOfOneKey) {
    Bench bench;
    bench.program->start_up();
    std::string answers;
    for (char key : std::string_view("AAAAAAABBBBAB"))
        answers += bench.program->repeat_guard(key) ? 'R' : '.';
    EXPECT_EQ(answers, "...R..R...R..");
}

TEST(BigCharacter, IsDrawnBlackOnWhiteAtTheTopRight) {
    Bench bench;
    bench.program->start_up();
    const auto& backend = *bench.headless.backend;
    bench.context->pictures.show_picture("capa");
    bench.program->draw_big_character('W');
    EXPECT_EQ(untimed(bench.events_since(bench.mark() - 1)), Lines{"bigchar W"});
    // The leading blank is background: white.
    EXPECT_EQ(backend.pixel(425, 20), (host::Rgb{255, 255, 255}));
    int black = 0;
    for (int y = 10; y < 130; ++y)
        for (int x = 490; x < 560; ++x) black += backend.pixel(x, y) == host::Rgb{0, 0, 0};
    EXPECT_GT(black, 100);
    // Left of it, the picture and the cleared screen are untouched.
    EXPECT_NE(backend.pixel(100, 20), (host::Rgb{255, 255, 255}));
}

TEST(ClosingScreen, TextColoursAndTheLastSound) {
    Bench bench;
    bench.program->start_up();
    const size_t mark = bench.mark();
    bench.program->closing_screen();
    EXPECT_EQ(untimed(bench.events_since(mark)), Lines{"sound aeioufim.wav"});
    const auto& window = bench.context->window;
    const auto row = [&](int r) {
        std::string text;
        for (int c = 0; c < textwindow::screen_columns; ++c)
            text += char(window.cell_character(c, r));
        return text.substr(0, text.find_last_not_of(' ') + 1);
    };
    EXPECT_EQ(row(0), "");
    EXPECT_EQ(row(1), host::w1252(" O ZIMBALOT é um programa sonoro, criado para auxiliar"));
    EXPECT_EQ(row(3), host::w1252(" integração com outras crianças."));
    EXPECT_EQ(row(4), "");
    EXPECT_EQ(row(5), " Sugere-se que as teclas do computador tenham caracteres");
    EXPECT_EQ(row(7), " pelo instrutor.");
    EXPECT_EQ(row(8), "");
    EXPECT_EQ(row(10), "");
    EXPECT_NE(row(14), "");
    EXPECT_EQ(row(15), "");
    const struct {
        int row;
        uint8_t colour;
    } colours[] = {{1, 15}, {3, 15}, {5, 4}, {7, 4}, {9, 14}, {11, 15}, {14, 15}};
    for (const auto& c : colours) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(window.cell_attribute(1, c.row) & 0x0F, c.colour);
    }
    // Every line starts with one blank and fits the screen.
    for (int r : {1, 2, 3, 5, 6, 7, 9, 11, 12, 13, 14}) {
        EXPECT_EQ(row(r).substr(0, 2).front(), ' ');
        EXPECT_NE(row(r)[1], ' ');
    }
}

}  // namespace
