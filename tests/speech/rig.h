// The speech front-end wired to the real text window, player and diphone
// synthesizer on an in-process headless host, with a stand-in engine.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "diphone/diphone_synth.h"
#include "host/random.h"
#include "sound/wave_player.h"
#include "speech/speech.h"
#include "speech_fixture.h"
#include "support.h"
#include "textwindow/text_window.h"

namespace speechtest {

// An engine that starts when told to and records what it is given.
struct FakeEngine : speech::Engine {
    bool start_result = true;
    int starts = 0;
    int voice = -1, rate = -1, pitch = -1, type = -1;
    int closes = 0;
    int stops = 0;
    int busy_polls_left = 0;  // engine_busy answers true this many times
    std::vector<std::string> spoken;
    // A real engine keeps messages coming while it speaks; so does this one,
    // so that a wait for a message returns.
    host::MessageQueue* queue = nullptr;

    bool engine_start(int v, int r, int p, int t, std::string_view) override {
        ++starts;
        voice = v;
        rate = r;
        pitch = p;
        type = t;
        return start_result;
    }
    void engine_close() override { ++closes; }
    void engine_speak(std::string_view text) override { spoken.emplace_back(text); }
    bool engine_busy(int) override {
        if (busy_polls_left <= 0) return false;
        --busy_polls_left;
        if (queue) {
            host::Message wake;
            wake.kind = host::MessageKind::user;
            wake.user_id = host::wake_engine;
            queue->post_message(wake);
        }
        return true;
    }
    void engine_stop() override { ++stops; }
};

struct Rig {
    explicit Rig(std::string_view script = "", size_t piece_samples = 2000)
        : headless(script),
          window(headless.host(), "falar"),
          player(headless.host(), window),
          synth(headless.host().files, random, speech),
          speech(headless.host(), window, player, synth, random, engine) {
        engine.queue = &headless.host().messages;
        fixture.root = testsupport::make_temp_dir("speech");
        fixture.write_data(piece_samples);
        ini = fixture.ini();
    }

    testsupport::Headless headless;
    Fixture fixture;
    Ini ini;
    host::Random random{7};
    textwindow::TextWindow window;
    sound::WavePlayer player;
    FakeEngine engine;
    diphone::DiphoneSynth synth;
    speech::SpeechFrontEnd speech;

    void write_ini() { Fixture::write_ini(headless.windows_dir + "/KORALU.INI", ini); }

    int start(int speed = 3) {
        write_ini();
        return speech.start_speech_checked(speed, "");
    }

    size_t mark() const { return headless.backend->trace_lines().size(); }

    // The front-end's own trace lines since `from`, file names without
    // their folder.
    std::vector<std::string> said(size_t from) const {
        std::vector<std::string> out;
        for (std::string line : headless.backend->events(from)) {
            if (!line.starts_with("say-")) continue;
            if (line.starts_with("say-file ")) {
                const size_t cut = line.find_last_of("/\\");
                line = "say-file " + line.substr(cut + 1);
            }
            out.push_back(line);
        }
        return out;
    }

    // Every trace line since `from` that starts with `word`.
    std::vector<std::string> lines(size_t from, std::string_view word) const {
        std::vector<std::string> out;
        for (const std::string& line : headless.backend->events(from))
            if (line.starts_with(word)) out.push_back(line);
        return out;
    }
};

}  // namespace speechtest
