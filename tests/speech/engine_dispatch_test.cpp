// Engine dispatch and the VEDRA adapter, against recording engines.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "speech/engine.h"
#include "speech_fixture.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace {

using Calls = std::vector<std::string>;

struct RecordingEngine : speech::ExternalEngine {
    RecordingEngine(Calls& log, std::string name) : log(log), name(std::move(name)) {}
    Calls& log;
    std::string name;
    bool start_result = true;
    int busy_answers = 0;  // busy answers true this many times
    textwindow::TextWindow* window = nullptr;
    size_t keys_seen_by_busy = 0;

    bool start(int v, int r, int p, std::string_view f) override {
        log.push_back(name + ".start " + std::to_string(v) + " " + std::to_string(r) + " " +
                      std::to_string(p) + " " + std::string(f));
        return start_result;
    }
    void close() override { log.push_back(name + ".close"); }
    void speak(std::string_view text) override {
        log.push_back(name + ".speak " + std::string(text));
    }
    bool busy(int mode) override {
        log.push_back(name + ".busy " + std::to_string(mode));
        if (window) keys_seen_by_busy = window->queued_key_count();
        if (busy_answers <= 0) return false;
        --busy_answers;
        return true;
    }
    void stop() override { log.push_back(name + ".stop"); }
};

struct Dispatch : testing::Test {
    explicit Dispatch(std::string_view script = "") : headless(script) {}
    testsupport::Headless headless;
    textwindow::TextWindow window{headless.host(), "t"};
    Calls log;
    RecordingEngine vedra{log, "vedra"}, sapi5{log, "sapi5"}, sapi54{log, "sapi54"},
        sapi4{log, "sapi4"};
    speech::EngineDispatch dispatch{window, {vedra, sapi5, sapi54, sapi4}};
};

TEST_F(Dispatch, TypeSelectsTheEngine) {
    const std::pair<int, const char*> cases[] = {
        {0, "sapi4"}, {1, "sapi4"},  {2, "sapi4"}, {4, "sapi4"}, {-1, "sapi4"},
        {6, "sapi4"}, {53, "sapi4"}, {3, "vedra"}, {5, "sapi5"}, {54, "sapi54"}};
    for (const auto& [type, name] : cases) {
        SCOPED_TRACE(type);
        log.clear();
        ASSERT_TRUE(dispatch.engine_start(1, 2, 3, type, "f.wav"));
        EXPECT_EQ(dispatch.engine_kind(), type);
        dispatch.engine_speak("oi");
        dispatch.engine_busy(0);
        dispatch.engine_stop();
        dispatch.engine_close();
        const std::string n = name;
        EXPECT_EQ(log, (Calls{n + ".start 1 2 3 f.wav", n + ".busy 1", n + ".speak oi",
                              n + ".busy 0", n + ".stop", n + ".close"}));
    }
}

TEST_F(Dispatch, StartWaitsUntilTheEngineIsIdle) {
    sapi5.busy_answers = 3;
    const uint64_t before = headless.backend->now_ms();
    ASSERT_TRUE(dispatch.engine_start(1, 0, 0, 5, ""));
    EXPECT_EQ(std::count(log.begin(), log.end(), "sapi5.busy 1"), 4);
    EXPECT_EQ(headless.backend->now_ms() - before, 150u);  // 50 ms between polls

    // A failed start is not polled, and reports the failure.
    log.clear();
    sapi4.start_result = false;
    EXPECT_FALSE(dispatch.engine_start(1, 0, 0, 4, ""));
    EXPECT_EQ(log, (Calls{"sapi4.start 1 0 0 "}));
}

struct DispatchWithKey : Dispatch {
    DispatchWithKey() : Dispatch("A") {}
};

TEST_F(DispatchWithKey, BusyPumpsMessagesFirst) {
    ASSERT_TRUE(dispatch.engine_start(1, 0, 0, 4, ""));
    sapi4.window = &window;
    headless.host().messages.wait_message();  // the key's messages are now queued, not handled
    EXPECT_EQ(window.queued_key_count(), 0u);
    dispatch.engine_busy(0);
    EXPECT_EQ(sapi4.keys_seen_by_busy, 1u);
}

// --- VEDRA

struct RecordingVedra : speech::VedraCalls {
    Calls log;
    bool init_result = true;
    int busy_answers = 0;
    double duration = -1, pitch = -1;
    void vedra_set_output_file(std::string_view f) override {
        log.push_back("output " + std::string(f));
    }
    bool vedra_init(std::string_view voice, std::string_view rules, std::string_view exceptions,
                    std::string_view abbreviations, std::string_view prosody,
                    std::string_view diphones) override {
        log.push_back("init " + std::string(voice) + " " + std::string(rules) + " " +
                      std::string(exceptions) + " " + std::string(abbreviations) + " " +
                      std::string(prosody) + " " + std::string(diphones));
        return init_result;
    }
    void vedra_set_factors(double d, double p) override {
        log.push_back("factors");
        duration = d;
        pitch = p;
    }
    void vedra_speak(std::string_view text) override {
        log.push_back("speak " + std::string(text));
    }
    bool vedra_busy() override {
        log.push_back("busy");
        if (busy_answers <= 0) return false;
        --busy_answers;
        return true;
    }
    void vedra_stop() override { log.push_back("stop"); }
    void vedra_close() override { log.push_back("close"); }
};

struct FakeRegistry : host::Registry {
    std::optional<std::string> value;
    std::string asked;
    std::optional<std::string> read_string(std::string_view key, std::string_view) override {
        asked = key;
        return value;
    }
};

struct Vedra : testing::Test {
    explicit Vedra(std::string_view script = "") : headless(script) {}
    testsupport::Headless headless;
    textwindow::TextWindow window{headless.host(), "t"};
    speech::Config config{headless.host().files, headless.host().files.current_directory()};
    FakeRegistry registry;
    RecordingVedra vedra;

    void write_ini(const speechtest::Ini& ini) {
        speechtest::Fixture::write_ini(headless.windows_dir + "/KORALU.INI", ini);
    }
    // The posted wake-ups waiting in the queue.
    int wake_ups() {
        int n = 0;
        host::Message m;
        while (headless.host().messages.peek_message(m))
            if (m.kind == host::MessageKind::user && m.user_id == host::wake_engine) ++n;
        return n;
    }
};

TEST_F(Vedra, PathsFromTheConfigurationTheRegistryOrTheCurrentDrive) {
    struct Case {
        speechtest::Ini::mapped_type keys;
        std::optional<std::string> registry;
        const char* voice;
        const char* rules;
        const char* diphones;
    };
    const Case cases[] = {
        {{},
         std::nullopt,
         "br4",
         "\\morbel\\vedratts\\portug.nrl",
         "\\morbel\\vedratts\\portug.dfn"},
        {{},
         "C:\\mbrola\\br4\\br4",
         "br4",
         "C:\\mbrola\\br4\\portug.nrl",
         "C:\\mbrola\\br4\\portug.dfn"},
        {{}, "ab", "br4", "\\portug.nrl", "\\portug.dfn"},  // shorter than the cut
        {{{"DIR", "d:\\voz"}, {"BASE", "pt"}, {"MBROLA_DB", "br1"}},
         "C:\\x\\br4",
         "br1",
         "d:\\voz\\pt.nrl",
         "d:\\voz\\pt.dfn"},
        {{{"DIR", "@\\vedra\\"}},
         std::nullopt,
         "br4",
         "/familia\\vedra\\portug.nrl",
         "/familia\\vedra\\portug.dfn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rules);
        speechtest::Ini ini;
        ini["KORALU"] = {{"PGMKORALU", "/familia"}};
        ini["VEDRATTS"] = c.keys;
        write_ini(ini);
        registry.value = c.registry;
        const speech::VedraPaths p = speech::read_vedra_paths(config, registry);
        EXPECT_EQ(p.voice_name, c.voice);
        EXPECT_EQ(p.rules_file, c.rules);
        EXPECT_EQ(p.diphone_list_file, c.diphones);
        EXPECT_EQ(p.exceptions_file.substr(p.exceptions_file.size() - 4), ".exc");
        EXPECT_EQ(p.abbreviations_file.substr(p.abbreviations_file.size() - 4), ".abr");
        EXPECT_EQ(p.prosody_file.substr(p.prosody_file.size() - 4), ".pro");
    }
    EXPECT_EQ(registry.asked, "SOFTWARE\\TCTS\\Mbrola\\databases\\BR4\\");
}

TEST_F(Vedra, StartSetsFactorsEvenWhenInitFails) {
    write_ini({});
    speech::VedraAdapter adapter(window, config, registry, vedra);
    struct Case {
        int rate;
        int pitch;
        bool init;
        double duration;
        double pitch_factor;
    };
    const Case cases[] = {{0, 0, true, 0.8, 1.0},
                          {10, 11, true, 0.8 - 10.0 / 15, 2.0},
                          {3, -5, false, 0.6, 6.0 / 11},
                          {-7, 1, true, 0.8 + 7.0 / 15, 12.0 / 11},
                          {15, -11, false, -0.2, 0.0}};
    for (const Case& c : cases) {
        vedra.log.clear();
        vedra.init_result = c.init;
        EXPECT_EQ(adapter.start(9, c.rate, c.pitch, "saida.wav"), c.init);
        EXPECT_DOUBLE_EQ(vedra.duration, c.duration);
        EXPECT_DOUBLE_EQ(vedra.pitch, c.pitch_factor);
        EXPECT_EQ(vedra.log,
                  (Calls{"output saida.wav",
                         "init br4 \\morbel\\vedratts\\portug.nrl \\morbel\\vedratts\\portug.exc "
                         "\\morbel\\vedratts\\portug.abr \\morbel\\vedratts\\portug.pro "
                         "\\morbel\\vedratts\\portug.dfn",
                         "factors"}));
    }
}

TEST_F(Vedra, SpeakBusyAndStopPostTheWakeUp) {
    write_ini({});
    speech::VedraAdapter adapter(window, config, registry, vedra);
    wake_ups();
    adapter.speak("bom dia");
    EXPECT_EQ(wake_ups(), 1);
    vedra.busy_answers = 1;
    EXPECT_TRUE(adapter.busy(1));
    EXPECT_EQ(wake_ups(), 1);
    EXPECT_FALSE(adapter.busy(0));
    EXPECT_EQ(wake_ups(), 1);
    adapter.stop();
    EXPECT_EQ(wake_ups(), 1);
    EXPECT_EQ(vedra.log, (Calls{"speak bom dia", "busy", "busy", "stop"}));
}

TEST_F(Vedra, CloseWaitsInHalfSecondSteps) {
    write_ini({});
    speech::VedraAdapter adapter(window, config, registry, vedra);
    vedra.busy_answers = 2;
    const uint64_t before = headless.backend->now_ms();
    adapter.close();
    EXPECT_EQ(headless.backend->now_ms() - before, 1000u);
    EXPECT_EQ(vedra.log, (Calls{"busy", "busy", "busy", "stop", "close"}));
}

struct VedraWithKey : Vedra {
    VedraWithKey() : Vedra("A") {}
};

TEST_F(VedraWithKey, AKeyStopsAndAnswersIdle) {
    write_ini({});
    speech::VedraAdapter adapter(window, config, registry, vedra);
    headless.host().messages.wait_message();
    vedra.busy_answers = 5;
    EXPECT_FALSE(adapter.busy(0));
    EXPECT_EQ(vedra.log, (Calls{"busy", "stop"}));
    EXPECT_EQ(window.queued_key_count(), 1u);  // the key stays
}

}  // namespace
