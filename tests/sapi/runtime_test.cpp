// The espeak-ng runtime behind both clients on a simulated host, and the
// program's speech going through each engine type with a key cutting it off.
#include "host/espeak/runtime.h"
#include "host/espeak/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "../speech/speech_fixture.h"
#include "app/context.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"
#include "speech/engine.h"
#include "support.h"

namespace {

using Lines = std::vector<std::string>;

// Time stamp of a trace line.
uint64_t time_of(const std::string& line) {
    return std::strtoull(line.c_str(), nullptr, 10);
}

// The lines whose event starts with `word`.
Lines with_word(const Lines& lines, std::string_view word) {
    Lines out;
    for (const std::string& line : lines) {
        const size_t space = line.find(' ');
        if (space != std::string::npos &&
            std::string_view(line).substr(space + 1).starts_with(word))
            out.push_back(line);
    }
    return out;
}

struct Runtime : testing::Test {
    explicit Runtime(std::string_view script = "") : headless(script) {}
    testsupport::Headless headless;
    host::espeak::Runtime runtime{headless.host()};
    host::Host& host = runtime.host();
    textwindow::TextWindow window{host, "t"};
    sound::WavePlayer player{host, window};
    speech::WindowEnvironment environment{host, window, player};
    sapi::Factory factory;
    bool markup = false;

    // The program's waits: messages are handled between the polls.
    template <class Busy>
    void wait_while(Busy busy) {
        for (;;) {
            window.pump_messages();
            if (!busy()) return;
            window.wait_message();
        }
    }
    void SetUp() override { ASSERT_TRUE(runtime.register_classes(factory)); }
    const Lines& trace() const { return headless.backend->trace_lines(); }
    // Samples of the capture whose size is above a whisper.
    size_t loud_samples() const {
        const auto& audio = headless.backend->captured_audio();
        size_t loud = 0;
        for (size_t i = 0; i + 1 < audio.size(); i += 2)
            if (std::abs(int16_t(audio[i] | audio[i + 1] << 8)) > 1000) ++loud;
        return loud;
    }
};

TEST_F(Runtime, Sapi5SpeaksBrazilianPortugueseThroughTheWaveOut) {
    sapi::Sapi5Client client(factory, environment, sapi::sapi5_library, markup);
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, ""));
    client.sapi5_speak("Bom dia, Maria.");
    EXPECT_TRUE(client.sapi5_busy());
    wait_while([&] { return client.sapi5_busy(); });
    const Lines speak = with_word(trace(), "tts-speak");
    ASSERT_EQ(speak.size(), 1u);
    EXPECT_NE(speak[0].find("roa/pt-BR 175 Bom dia, Maria."), std::string::npos);
    EXPECT_EQ(with_word(trace(), "wave-open")
                  .at(0)
                  .substr(with_word(trace(), "wave-open")[0].find(' ') + 1),
              "wave-open 22050 16 1");
    EXPECT_EQ(with_word(trace(), "wave-close").size(), 1u);
    EXPECT_EQ(headless.backend->captured_format(), (host::PcmFormat{22050, 16, 1}));
    EXPECT_GT(loud_samples(), 22050u / 4);
    // The utterance lasts as long as its sound: done after the last block.
    EXPECT_GE(headless.backend->now_ms() * 22050 / 1000,
              headless.backend->captured_audio().size() / 2);
    client.sapi5_close();
}

TEST_F(Runtime, Sapi5RateChangesWordsPerMinuteAndPurgeSilences) {
    sapi::Sapi5Client client(factory, environment, sapi::sapi5_library, markup);
    ASSERT_TRUE(client.sapi5_start(1, 10, 0, ""));
    client.sapi5_speak("Um texto comprido que ainda estaria falando quando a fala for cortada.");
    EXPECT_NE(with_word(trace(), "tts-speak").at(0).find(" 450 "),
              std::string::npos);  // 175 x 3, at most 450
    window.delay_ms(100);
    client.sapi5_stop();
    const Lines stop = with_word(trace(), "wave-stop");
    ASSERT_EQ(stop.size(), 1u);
    EXPECT_LE(time_of(stop[0]), 120u);
    EXPECT_FALSE(client.sapi5_busy());
    client.sapi5_close();
}

TEST_F(Runtime, FileModesWriteWavFiles) {
    const std::string folder = testsupport::make_temp_dir("sapi-files");
    for (const int type : {5, 54, 4}) {
        SCOPED_TRACE(type);
        const std::string path = folder + "/fala" + std::to_string(type) + ".wav";
        if (type == 4) {
            sapi::Sapi4Client client(factory, environment);
            ASSERT_TRUE(client.sapi4_start(1, 0, 0, path));
            client.sapi4_speak("Ola.");
            wait_while([&] { return client.sapi4_busy(0); });
            client.sapi4_close();
        } else {
            sapi::Sapi5Client client(factory, environment,
                                     type == 5 ? sapi::sapi5_library : sapi::sapi54_library,
                                     markup);
            ASSERT_TRUE(client.sapi5_start(1, 0, 0, path));
            client.sapi5_speak("Ola.");
            wait_while([&] { return client.sapi5_busy(); });
            client.sapi5_close();
        }
        const std::vector<uint8_t> file = testsupport::read_file(path);
        ASSERT_GT(file.size(), 44u + 4000u);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
        EXPECT_EQ(file[24] | file[25] << 8, 22050);
    }
    EXPECT_TRUE(with_word(trace(), "wave-open").empty());  // nothing went to the device
}

TEST(EngineText, PortugueseStaysAndOtherLettersArePlainLatin) {
    struct Case {
        const char* cp1252;
        const char* utf8;
    };
    for (const Case& c : {
             Case{"a\xE7\xE3o \xE9 \xC1GUA \xFC \xF4 \xAA \xBA",
                  "a\u00e7\u00e3o \u00e9 \u00c1GUA \u00fc \u00f4 \u00aa \u00ba"},
             Case{"Stra\xDF"
                  "e \xDF\x88",
                  "Strasse ss^"},
             Case{"\xDF\xF0\xDF\xFE\xDF\x83 \xC6\xD8\xD1\x9C\x98", "ssdssthssf AEONoe~"},
             Case{"", ""},
         }) {
        SCOPED_TRACE(c.cp1252);
        EXPECT_EQ(host::espeak::engine_text(c.cp1252), c.utf8);
    }
}

// espeak-ng read freed memory on these letter pairs (seen under
// AddressSanitizer); the runtime must speak them like any text.
TEST_F(Runtime, ForeignLetterPairsAreSpoken) {
    const std::string path = testsupport::make_temp_dir("sapi-foreign") + "/fala.wav";
    sapi::Sapi5Client client(factory, environment, sapi::sapi5_library, markup);
    ASSERT_TRUE(client.sapi5_start(1, 0, 0, path));
    client.sapi5_speak(
        "Stra\xDF\x88"
        "e \xDF\xF0 \xDF\xFE \xDF\x83 \x05"
        "E\xF3\xD1\xDF\x9A\xDF\x88N");
    wait_while([&] { return client.sapi5_busy(); });
    client.sapi5_close();
    EXPECT_GT(testsupport::read_file(path).size(), 44u + 4000u);
}

TEST_F(Runtime, Sapi4NotificationsArriveWhileMessagesArePumped) {
    sapi::Sapi4Client client(factory, environment);
    ASSERT_TRUE(client.sapi4_start(2, 200, 0, ""));  // the second mode: European Portuguese
    client.sapi4_speak("Bom dia.");
    // Nothing reaches the sinks until messages are handled.
    EXPECT_FALSE(client.sapi4_busy(1));
    window.pump_messages();
    EXPECT_TRUE(client.sapi4_busy(1));
    EXPECT_TRUE(client.counters().audio_playing);
    wait_while([&] { return client.sapi4_busy(0); });
    EXPECT_EQ(client.counters().pending_texts, 0);
    EXPECT_NE(with_word(trace(), "tts-speak").at(0).find("roa/pt 200 Bom dia."), std::string::npos);
    client.sapi4_close();
}

// The program's speech subsystem wired as the program wires it, with
// KORALU.INI asking for an engine; a key 400 ms into a long text.
struct VedraThatSpeaks : speech::VedraCalls {
    explicit VedraThatSpeaks(host::Host& host) : trace(host.trace), clock(host.clock) {}
    host::Trace& trace;
    host::Clock& clock;
    bool speaking = false;
    void vedra_set_output_file(std::string_view) override {}
    bool vedra_init(std::string_view, std::string_view, std::string_view, std::string_view,
                    std::string_view, std::string_view) override {
        return true;
    }
    void vedra_set_factors(double, double) override {}
    void vedra_speak(std::string_view) override { speaking = true; }
    // Asking lets a little time pass, as the device wait of an engine that
    // plays does; the program's wait would otherwise spin on the wake-ups.
    bool vedra_busy() override {
        clock.sleep_ms(10);
        return speaking;
    }
    void vedra_stop() override {
        if (speaking) trace.event("vedra-stop", "");
        speaking = false;
    }
    void vedra_close() override {}
};

struct ProgramScenario : testing::TestWithParam<int> {};

TEST_P(ProgramScenario, EngineSpeaksAndAKeyStopsItAtOnce) {
    const int type = GetParam();
    testsupport::Headless headless("wait 400 A");
    host::espeak::Runtime runtime(headless.host());
    VedraThatSpeaks vedra(headless.host());
    app::Context context(runtime.host(), "zimbalot", &vedra);
    ASSERT_TRUE(runtime.register_classes(context.sapi_factory));

    speechtest::Fixture fixture;
    fixture.root = testsupport::make_temp_dir("scenario");
    fixture.write_data();
    speechtest::Ini ini = fixture.ini();
    ini["TRADUTOR"]["SAPI"] = "S";
    ini["SERVFALA"] = {{"TIPOSAPI", std::to_string(type)}, {"VOZ", "1"}};
    speechtest::Fixture::write_ini(headless.windows_dir + "/KORALU.INI", ini);
    ASSERT_EQ(context.speech.start_speech_checked(3, ""), 0);
    ASSERT_TRUE(context.speech.engine_active());

    context.speech.speak(
        "Era uma vez um menino que gostava muito de letras e de numeros, "
        "e que aprendia uma letra nova a cada dia.");
    while (context.speech.speech_busy()) context.window.wait_message();
    EXPECT_EQ(context.window.queued_key_count(), 1u);  // the key stays for the program
    context.speech.end_speech();

    const Lines& lines = headless.backend->trace_lines();
    const Lines stops = with_word(lines, type == 3 ? "vedra-stop" : "wave-stop");
    ASSERT_EQ(stops.size(), 1u);
    // Within one block (93 ms) of the key, delivered at 400 ms.
    EXPECT_GE(time_of(stops[0]), 400u);
    EXPECT_LE(time_of(stops[0]), 400u + 93u);
    EXPECT_EQ(with_word(lines, "engine-start")
                  .at(0)
                  .substr(with_word(lines, "engine-start")[0].find(' ') + 1),
              "engine-start " + std::to_string(type) + " 1 0 0 ok");
    if (type != 3) {
        EXPECT_EQ(with_word(lines, "tts-speak").size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EachEngineType, ProgramScenario, testing::Values(5, 54, 4, 0, 3));

TEST(ProgramWithoutRuntime, FallsBackToItsOwnVoice) {
    // No runtime registered and no VEDRA: the start fails, own means speak.
    testsupport::Headless headless;
    app::Context context(headless.host(), "zimbalot");
    speechtest::Fixture fixture;
    fixture.root = testsupport::make_temp_dir("fallback");
    fixture.write_data();
    for (const int type : {5, 54, 4, 3}) {
        speechtest::Ini ini = fixture.ini();
        ini["TRADUTOR"]["SAPI"] = "S";
        ini["SERVFALA"] = {{"TIPOSAPI", std::to_string(type)}};
        speechtest::Fixture::write_ini(headless.windows_dir + "/KORALU.INI", ini);
        ASSERT_EQ(context.speech.start_speech_checked(3, ""), 0);
        EXPECT_FALSE(context.speech.engine_active());
        EXPECT_EQ(context.speech.engine_type(), type);
    }
}

}  // namespace
