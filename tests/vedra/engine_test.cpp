#include "vedra/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fake_mbrola.h"
#include "host/text.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace {

using vedratest::fake_mbrola;

uint32_t u32_at(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

// The engine on an in-process headless host with tiny data files.
struct EngineRig {
    EngineRig()
        : window(headless.host(), "falar"),
          player(headless.host(), window),
          engine(headless.host(), player, library) {
        vedratest::reset_fake_mbrola();
        dir = testsupport::make_temp_dir("vedra");
        write("portug.nrl", "(A)=a\n(B)=b\n(C)=k\n");
        write("portug.exc", "");
        write("portug.abr", "sr=senhor\n");
        write("portug.pro", "[DURAÇÃO]\na=100\n[CHAVES]\n[PROSÓDIA]\n");
        write("portug.dfn", "");
    }
    void write(const std::string& name, std::string_view utf8) {
        testsupport::write_file(dir + "/" + name, host::w1252(utf8));
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    bool init(std::string_view voice = "") {
        return engine.vedra_init(voice, path("portug.nrl"), path("portug.exc"), path("portug.abr"),
                                 path("portug.pro"), path("portug.dfn"));
    }
    std::vector<std::string> events_named(std::string_view word) const {
        std::vector<std::string> out;
        for (const std::string& e : headless.backend->events())
            if (e.starts_with(word)) out.push_back(e);
        return out;
    }

    testsupport::Headless headless;
    textwindow::TextWindow window;
    sound::WavePlayer player;
    vedratest::FakeLibrary library;
    vedra::Engine engine;
    std::string dir;
};

TEST(Engine, InitFailures) {
    struct Case {
        const char* name;
        void (*spoil)(EngineRig&);
        const char* message;  // UTF-8; "" = unchanged (empty)
        int unloads;          // before the close
        size_t closes;        // close_MBR calls by vedra_close
    };
    const Case cases[] = {
        {"no library", [](EngineRig&) { fake_mbrola().library_present = false; }, "", 0, 0},
        {"init_MBR negative", [](EngineRig&) { fake_mbrola().init_result = -1; }, "", 1, 0},
        {"rules missing", [](EngineRig& r) { std::remove(r.path("portug.nrl").c_str()); },
         "Erro na base de dados de português", 0, 1},
        {"exceptions missing", [](EngineRig& r) { std::remove(r.path("portug.exc").c_str()); },
         "Erro na base de dados de português", 0, 1},
        {"abbreviations missing", [](EngineRig& r) { std::remove(r.path("portug.abr").c_str()); },
         "Erro no arquivo de abreviaturas", 0, 1},
        {"prosody wrong", [](EngineRig& r) { r.write("portug.pro", "[CHAVES]\n"); },
         "Erro no arquivo de prosódia", 0, 1},
        {"diphone list missing", [](EngineRig& r) { std::remove(r.path("portug.dfn").c_str()); },
         "Erro no arquivo de prosódia", 0, 1},
        {"output folder missing",
         [](EngineRig& r) { r.engine.vedra_set_output_file(r.path("none/out.wav")); },
         "Arquivo de saída não pode ser criado", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        c.spoil(rig);
        EXPECT_FALSE(rig.init());
        EXPECT_EQ(host::cp1252_to_utf8(rig.engine.engine_message()), c.message);
        EXPECT_EQ(fake_mbrola().unloads, c.unloads);
        EXPECT_FALSE(rig.engine.vedra_speak("abc"));  // not started: nothing is called
        EXPECT_TRUE(fake_mbrola().calls_named("write_MBR").empty());
        rig.engine.vedra_close();  // releases a library left loaded, never calls an empty table
        EXPECT_EQ(fake_mbrola().calls_named("close_MBR").size(), c.closes);
    }
    // The prosody failure was shown to the user.
    EngineRig rig;
    rig.write("portug.pro", "[CHAVES]\n");
    EXPECT_FALSE(rig.init());
    EXPECT_EQ(rig.events_named("message"),
              std::vector<std::string>{"message \"Duração dos difones errada ou ausente\""});
}

TEST(Engine, VoiceDatabaseLookup) {
    struct Case {
        const char* voice;
        const char* registry;
        bool empty;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", false, "init_MBR br4"},
        {"br1", "", false, "init_MBR br1"},
        {"br4", "/usr/share/mbrola/br4/br4", false, "init_MBR /usr/share/mbrola/br4/br4"},
        {"br4", "", true, "init_MBR c:\\morbel\\vedratts\\br4"},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        fake_mbrola().voice_path = c.registry;
        fake_mbrola().registry_empty_string = c.empty;
        ASSERT_TRUE(rig.init(c.voice));
        EXPECT_EQ(fake_mbrola().calls[0], c.expected);
        EXPECT_EQ(fake_mbrola().calls[1], "setNoError_MBR 1");
    }
}

TEST(Engine, ChunksArePlayedBeforeTheyReach16000Bytes) {
    struct Case {
        const char* text;
        std::vector<std::pair<std::string, int>> samples;  // by line prefix
        std::vector<std::string> blocks;
    };
    const Case cases[] = {
        // 15000 bytes, then a block of 2000: played at 15000; 2000 start the next.
        {"ab", {{"a ", 7500}, {"b ", 1000}}, {"wave-block 15000", "wave-block 2000"}},
        // Full reads of 16000 samples: each chunk is 32000 bytes, never more.
        {"ab", {{"a ", 16000}, {"b ", 16000}}, {"wave-block 32000", "wave-block 32000"}},
        // Fewer than 128 samples: one chunk of 256 bytes.
        {"a", {{"a ", 50}}, {"wave-block 256"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        ASSERT_TRUE(rig.init());
        fake_mbrola().samples_per_line = 0;
        fake_mbrola().samples_for = c.samples;
        EXPECT_TRUE(rig.engine.vedra_speak(c.text));
        EXPECT_EQ(rig.events_named("wave-block"), c.blocks) << c.text;
        EXPECT_EQ(rig.events_named("wave-open"), std::vector<std::string>{"wave-open 16000 16 1"});
        const auto reads = fake_mbrola().calls_named("read_MBR");
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads[0], "read_MBR 16000");
    }
}

TEST(Engine, SpeakingSequence) {
    EngineRig rig;
    ASSERT_TRUE(rig.init());
    // Blanks only: true, and no library call at all.
    const size_t before = fake_mbrola().calls.size();
    EXPECT_TRUE(rig.engine.vedra_speak(" \t\r\n "));
    EXPECT_EQ(fake_mbrola().calls.size(), before);

    // Every non-empty line is written with CR LF, then read; the last is flushed.
    fake_mbrola().calls.clear();
    EXPECT_TRUE(rig.engine.vedra_speak("  ab\n"));
    const auto& calls = fake_mbrola().calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "reset_MBR");
    EXPECT_EQ(calls[calls.size() - 3], "flush_MBR");
    for (const std::string& c : fake_mbrola().calls_named("write_MBR")) {
        EXPECT_TRUE(c.ends_with("\r\n"));
        EXPECT_NE(c, "write_MBR \r\n");  // empty lines are not written (but the last)
    }

    // A library error on one line: reset, the other lines still go, result false.
    fake_mbrola().calls.clear();
    fake_mbrola().error_line = "a ";
    EXPECT_FALSE(rig.engine.vedra_speak("ab"));
    const auto writes = fake_mbrola().calls_named("write_MBR");
    EXPECT_TRUE(std::any_of(writes.begin(), writes.end(),
                            [](const std::string& w) { return w.starts_with("write_MBR b "); }));
    EXPECT_GE(fake_mbrola().calls_named("reset_MBR").size(), 2u);

    // A fault inside the read: nothing read, reset, result false.
    fake_mbrola().error_line.clear();
    fake_mbrola().fault_on_next_read = true;
    EXPECT_FALSE(rig.engine.vedra_speak("ab"));
    // A library claiming more samples than asked for cannot overrun the buffer.
    fake_mbrola().overreport = true;
    EXPECT_TRUE(rig.engine.vedra_speak("ab"));
}

TEST(Engine, PlaybackSwitchesAreSavedAndRestored) {
    EngineRig rig;
    ASSERT_TRUE(rig.init());
    rig.player.play_faster = true;
    rig.player.shorten_speech = true;
    fake_mbrola().samples_per_line = 2000;
    EXPECT_TRUE(rig.engine.vedra_speak("ab"));
    // Played at 16000 Hz, 16 bits: neither switch acted on the speech.
    EXPECT_EQ(rig.events_named("wave-open"), std::vector<std::string>{"wave-open 16000 16 1"});
    EXPECT_TRUE(rig.player.play_faster);
    EXPECT_TRUE(rig.player.shorten_speech);
    EXPECT_TRUE(rig.engine.vedra_busy());
    rig.engine.vedra_stop();
    EXPECT_FALSE(rig.engine.vedra_busy());
}

TEST(Engine, FileModeWritesOneWavFile) {
    EngineRig rig;
    const std::string out = rig.path("fala.wav");
    testsupport::write_file(out, std::string(1000, 'x'));  // replaced
    rig.engine.vedra_set_output_file(out);
    ASSERT_TRUE(rig.init());
    EXPECT_TRUE(rig.engine.file_mode());
    EXPECT_EQ(testsupport::read_file(out).size(), 44u);
    fake_mbrola().samples_per_line = 300;
    EXPECT_TRUE(rig.engine.vedra_speak("ab"));
    EXPECT_TRUE(rig.engine.vedra_speak("ba"));
    EXPECT_FALSE(rig.engine.vedra_busy());
    rig.engine.vedra_stop();
    EXPECT_TRUE(rig.events_named("wave").empty());  // nothing played
    rig.engine.vedra_close();
    const std::vector<uint8_t> wav = testsupport::read_file(out);
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
    EXPECT_EQ(u32_at(wav, 4), wav.size() - 8);
    EXPECT_EQ(u32_at(wav, 24), 16000u);
    EXPECT_EQ(u32_at(wav, 28), 32000u);
    EXPECT_EQ(wav[32], 2);  // block align computed
    EXPECT_EQ(u32_at(wav, 40), wav.size() - 44);
    // Every sample of both texts, in order (the fake counts up from 1).
    const size_t samples = (wav.size() - 44) / 2;
    EXPECT_EQ(samples % 300, 0u);
    for (size_t i = 0; i < samples; ++i) {
        const int16_t s = int16_t(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
        ASSERT_EQ(s, int16_t(i + 1));
    }
    EXPECT_EQ(fake_mbrola().calls_named("close_MBR").size(), 1u);
    EXPECT_EQ(fake_mbrola().unloads, 1);
}

}  // namespace
