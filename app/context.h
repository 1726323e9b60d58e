// Wires the modules together for the program and for the falar tool.
#pragma once
#include <string>

#include "diphone/diphone_synth.h"
#include "host/host.h"
#include "host/random.h"
#include "picture/picture.h"
#include "sapi/com.h"
#include "sound/wave_player.h"
#include "speech/engine.h"
#include "speech/speech.h"
#include "textwindow/text_window.h"
#include "vedra/engine.h"
#include "vedra/mbrola_binding.h"

namespace app {

// The VEDRA engine behind the engine dispatch's adapter.
class VedraEngineCalls : public speech::VedraCalls {
public:
    explicit VedraEngineCalls(vedra::Engine& engine) : engine_(engine) {}
    void vedra_set_output_file(std::string_view file) override {
        engine_.vedra_set_output_file(file);
    }
    bool vedra_init(std::string_view voice, std::string_view rules, std::string_view exceptions,
                    std::string_view abbreviations, std::string_view prosody,
                    std::string_view diphone_list) override {
        return engine_.vedra_init(voice, rules, exceptions, abbreviations, prosody, diphone_list);
    }
    void vedra_set_factors(double duration, double pitch) override {
        engine_.vedra_set_factors(duration, pitch);
    }
    void vedra_speak(std::string_view text) override { engine_.vedra_speak(text); }
    bool vedra_busy() override { return engine_.vedra_busy(); }
    void vedra_stop() override { engine_.vedra_stop(); }
    void vedra_close() override { engine_.vedra_close(); }

private:
    vedra::Engine& engine_;
};

struct Context {
    // `vedra`: the VEDRA engine's calls; none means the VEDRA engine. The
    // SAPI classes are registered in `sapi_factory` by whoever provides a
    // speech runtime (the programs' set-up).
    Context(host::Host& host_, std::string_view program_path, speech::VedraCalls* vedra = nullptr)
        : host(host_),
          random(host_.clock.random_seed()),
          window(host_, program_path),
          pictures(host_, window),
          player(host_, window),
          mbrola(host_.libraries, host_.registry),
          vedra_engine(host_, player, mbrola),
          vedra_calls(vedra_engine),
          engines(host_, window, player, sapi_factory, vedra ? *vedra : vedra_calls),
          synth(host_.files, random, speech),
          speech(host_, window, player, synth, random, engines.dispatch()) {}

    host::Host& host;
    host::Random random;
    textwindow::TextWindow window;
    picture::PictureViewer pictures;
    sound::WavePlayer player;
    vedra::MbrolaBinding mbrola;
    vedra::Engine vedra_engine;
    VedraEngineCalls vedra_calls;
    sapi::Factory sapi_factory;
    speech::Engines engines;
    diphone::DiphoneSynth synth;  // keeps a reference to `speech`, built next
    speech::SpeechFrontEnd speech;
};

}  // namespace app
