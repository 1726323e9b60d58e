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

namespace app {

struct Context {
    // `vedra`: the VEDRA engine's calls; none means VEDRA cannot start. The
    // SAPI classes are registered in `sapi_factory` by whoever provides a
    // speech runtime (the programs' set-up).
    Context(host::Host& host_, std::string_view program_path, speech::VedraCalls* vedra = nullptr)
        : host(host_),
          random(host_.clock.random_seed()),
          window(host_, program_path),
          pictures(host_, window),
          player(host_, window),
          engines(host_, window, player, sapi_factory, vedra ? *vedra : no_vedra),
          synth(host_.files, random, speech),
          speech(host_, window, player, synth, random, engines.dispatch()) {}

    host::Host& host;
    host::Random random;
    textwindow::TextWindow window;
    picture::PictureViewer pictures;
    sound::WavePlayer player;
    sapi::Factory sapi_factory;
    speech::NoVedra no_vedra;
    speech::Engines engines;
    diphone::DiphoneSynth synth;  // keeps a reference to `speech`, built next
    speech::SpeechFrontEnd speech;
};

}  // namespace app
