// A backend for a program that only speaks (falar): real time, no window, no
// keys, and the SDL audio library loaded only when a sound is played, so that
// such a program starts without the desktop's libraries.
#pragma once
#include <memory>

#include "host/backend.h"

namespace host::sdl {

std::unique_ptr<Backend> make_speaker_backend(const BackendOptions& options);

}  // namespace host::sdl
