// The host concerns handed to the system's modules. Each module keeps the
// references it needs; nothing is global.
#pragma once
#include "host/audio.h"
#include "host/clock.h"
#include "host/files.h"
#include "host/messages.h"
#include "host/process.h"
#include "host/trace.h"
#include "host/window.h"

namespace host {

struct Host {
    MessageQueue& messages;
    Clock& clock;
    Window& window;
    WaveOut& wave_out;
    SoundPlayer& sound_player;
    Files& files;
    Registry& registry;
    Libraries& libraries;
    Trace& trace;
    Process& process;
};

}  // namespace host
