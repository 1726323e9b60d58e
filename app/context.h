// Wires the modules together for the program and for the falar tool.
#pragma once
#include <string>

#include "diphone/diphone_synth.h"
#include "host/host.h"
#include "host/random.h"
#include "picture/picture.h"
#include "sound/wave_player.h"
#include "speech/speech.h"
#include "textwindow/text_window.h"

namespace app {

struct Context {
    Context(host::Host& host_, std::string_view program_path)
        : host(host_),
          random(host_.clock.random_seed()),
          window(host_, program_path),
          pictures(host_, window),
          player(host_, window),
          synth(host_.files, random, speech),
          speech(host_, window, player, synth, random, engine) {}

    host::Host& host;
    host::Random random;
    textwindow::TextWindow window;
    picture::PictureViewer pictures;
    sound::WavePlayer player;
    speech::NoEngine engine;
    diphone::DiphoneSynth synth;  // keeps a reference to `speech`, built next
    speech::SpeechFrontEnd speech;
};

}  // namespace app
