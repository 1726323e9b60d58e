// The speech runtime on Linux: SAPI 5 voices and SAPI 4 engine modes made of
// espeak-ng's voices, registered in a sapi::Factory. Their sound goes to the
// host's wave-out device; notifications and completions are posted as window
// messages and delivered on the window thread while the program pumps its
// messages, never from the synthesizer's thread.
//
// Trace words emitted here:
//   tts-speak <voice> <words per minute> <text>   an utterance starts
//   tts-purge                                     queued speech was dropped
#pragma once
#include <memory>

#include "host/host.h"
#include "sapi/com.h"

namespace host::espeak {

class Runtime {
public:
    // `inner`: the backend's host. The runtime sees every message before the
    // program does, to take its own (finished blocks, notifications).
    explicit Runtime(Host& inner);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The host to hand to the program: the same, with the message queue
    // that lets the runtime take its own messages.
    Host& host();

    // Registers the voice and file stream classes of both SAPI 5 libraries
    // and the SAPI 4 enumerator and audio destinations; returns true. espeak-ng
    // starts when the first object that needs it is made: when it cannot start
    // or has no voice, making that object fails (E_FAIL), so the clients fall
    // back as they do without a runtime.
    bool register_classes(sapi::Factory& factory);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace host::espeak
