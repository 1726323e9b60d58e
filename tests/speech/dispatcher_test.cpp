#include <gtest/gtest.h>

#include "host/text.h"
#include "rig.h"

namespace {

using speechtest::Rig;
using Said = std::vector<std::string>;

std::string file(int code) {
    return "say-file _" + std::to_string(code) + ".wav";
}
const std::string zero = "say-file _zero.wav";
const std::string minus = "say-file _MENOS.wav";
const std::string click = "say-click";

Said repeat(const std::string& line, int times) {
    return Said(size_t(times), line);
}
Said join(std::initializer_list<Said> parts) {
    Said out;
    for (const Said& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct DispatchCase {
    const char* text;  // UTF-8
    Said expected;
};

void check(Rig& rig, const DispatchCase& c) {
    const size_t from = rig.mark();
    rig.speech.speak(host::w1252(c.text));
    EXPECT_EQ(rig.said(from), c.expected) << "text: \"" << c.text << "\"";
}

TEST(Speak, OwnMeansDispatch) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    const DispatchCase cases[] = {
        {"007", {zero, zero, "say-number _sete"}},
        {"123456", {"say-number _cento _e _vinte _e _tres _mil _e _quatroc _e _cinquen _e _seis"}},
        {"1234567", {file(49), file(50), file(51), file(52), file(53), file(54), file(55)}},
        {"12-34", {file(49), file(50), file(45), file(51), file(52)}},
        {"17", {"say-number _dezeset"}},
        {"bom-dia", {"say-run bom", "say-run dia "}},
        {"a - b", {"say-run a ", file(45), "say-pause 150", "say-run  b "}},
        {"-5", {minus, "say-number _cinco"}},
        {"-a", {file(45), "say-run a "}},
        {"--", {file(45), file(45), "say-pause 150"}},
        {"=====", join({repeat(file(61), 4), {click}})},
        {"========", join({repeat(file(61), 4), repeat(click, 4)})},
        {"a=b=c=d=e=f",
         {"say-run a", file(61), "say-run b", file(61), "say-run c", file(61), "say-run d",
          file(61), "say-run e", click, "say-run f "}},
        {"-----", join({repeat(file(45), 4), {click}})},
        {"www.", join({repeat(file(119), 3), {file(46), "say-pause 250"}})},
        {"WwW.", {file(87), file(119), file(87), file(46), "say-pause 250"}},
        {"www abc", {"say-run www abc "}},
        {"x www.", {"say-run x www", file(46), "say-pause 250"}},
        {"www", {"say-run www "}},
        {"abc://x", {"say-run abc", file(58), file(47), file(47), "say-run x "}},
        {"a. b", {"say-run a", file(46), "say-pause 250", "say-run  b "}},
        {"1.5", {"say-number _um", file(46), "say-number _cinco"}},
        {"(a)", {file(40), "say-pause 200", "say-run a", file(41), "say-pause 200"}},
        {"a;b", {"say-run a", file(59), "say-pause 200", "say-run b "}},
        {"x\ty", {"say-run x", "say-run y "}},
        {"@ é", {file(64), "say-run  é "}},
        {"", {}},
    };
    for (const DispatchCase& c : cases) check(rig, c);
}

TEST(Speak, WithoutSayingPunctuationOnlyMarksWithoutAPauseSound) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    rig.speech.say_punctuation = false;
    const DispatchCase cases[] = {
        {"a, b", {"say-run a", "say-pause 150", "say-run  b "}},
        {"a,b", {"say-run a", file(44), "say-run b "}},
        {"1.5", {"say-number _um", file(46), "say-number _cinco"}},
        {"a (b", {"say-run a ", "say-pause 200", "say-run b "}},
        {"a - b", {"say-run a ", "say-pause 150", "say-run  b "}},
    };
    for (const DispatchCase& c : cases) check(rig, c);
}

TEST(Speak, CollectModeGathersTextAndSpeaksItOnAnEmptyText) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    const size_t from = rig.mark();
    rig.speech.collect_mode = true;
    rig.speech.speak("bom");
    rig.speech.speak("dia");
    rig.speech.speak("!");
    EXPECT_EQ(rig.speech.collected_text(), " bom dia!");
    EXPECT_TRUE(rig.said(from).empty());
    rig.speech.speak("");
    EXPECT_EQ(rig.said(from), (Said{"say-run  bom dia", file(33)}));
    EXPECT_TRUE(rig.speech.collected_text().empty());
}

TEST(Speak, TheRepetitionCountSurvivesRunsAndNumbersButNotOtherSymbols) {
    Rig rig;
    ASSERT_EQ(rig.start(), 0);
    check(rig, {"+1+2+3+4+",
                {file(43), "say-number _um", file(43), "say-number _dois", file(43),
                 "say-number _tres", file(43), "say-number _quatro", click}});
    check(rig, {"++++#+", join({repeat(file(43), 4), {file(35), file(43)}})});
}

TEST(Speak, AnActiveEngineGetsTheWholeTextUnlessAKeyIsWaiting) {
    Rig rig("wait 5000 A");
    rig.ini["TRADUTOR"]["SAPI"] = "S";
    rig.ini["SERVFALA"]["TIPOSAPI"] = "3";
    ASSERT_EQ(rig.start(), 0);
    ASSERT_TRUE(rig.speech.engine_active());
    const size_t from = rig.mark();
    rig.speech.speak("Bom dia, 25!");
    EXPECT_EQ(rig.engine.spoken, (std::vector<std::string>{"Bom dia, 25!"}));
    EXPECT_EQ(rig.said(from), (Said{"say-engine Bom dia, 25!"}));

    // The next recorded sound waits for the engine to finish.
    rig.engine.busy_polls_left = 3;
    rig.speech.play_character_sound('a');
    EXPECT_EQ(rig.engine.busy_polls_left, 0);

    // A key arrives: the text is dropped and the engine told to stop.
    rig.window.delay_ms(6000);
    ASSERT_TRUE(rig.window.key_pressed());
    const int stops = rig.engine.stops;
    rig.speech.speak("nada");
    EXPECT_EQ(rig.engine.spoken.size(), 1u);
    EXPECT_GT(rig.engine.stops, stops);
    EXPECT_TRUE(rig.window.key_pressed());
}

TEST(Speak, AWaitingKeyStopsOwnMeansSpeechAtOnceAndStaysQueued) {
    Rig rig("A");
    ASSERT_EQ(rig.start(), 0);
    rig.window.delay_ms(10);
    ASSERT_TRUE(rig.window.key_pressed());
    const size_t from = rig.mark();
    rig.speech.speak("bom dia 25");
    EXPECT_TRUE(rig.said(from).empty());
    EXPECT_EQ(rig.window.read_key(), 'a');
}

TEST(PauseMs, FiftyMillisecondStepsThatAKeyCutsShort) {
    Rig rig("wait 1000 A");
    ASSERT_EQ(rig.start(), 0);
    auto now = [&] { return rig.headless.backend->now_ms(); };
    uint64_t t = now();
    rig.speech.pause_ms(49);
    EXPECT_EQ(now(), t);
    rig.speech.pause_ms(120);
    EXPECT_EQ(now(), t + 100);
    // The key falls due during the pause; the rest of it passes at once.
    t = now();
    rig.speech.pause_ms(5000);
    EXPECT_LT(now(), t + 1100);
    EXPECT_GE(now(), t + 900);
    EXPECT_TRUE(rig.window.key_pressed());
}

TEST(SpeechBusy, AKeyStopsTheSoundAndPostsTheWakeUp) {
    Rig rig("wait 20 A");
    ASSERT_EQ(rig.start(), 0);
    const size_t from = rig.mark();
    rig.speech.play_click();
    EXPECT_FALSE(rig.lines(from, "wave-stop").empty());
    EXPECT_TRUE(rig.window.key_pressed());
    EXPECT_FALSE(rig.speech.speech_busy());
}

}  // namespace
