// The desktop backend on SDL2: a real window, real keys, real fonts and the
// default audio device.
#pragma once
#include <memory>

#include "host/backend.h"
#include "host/messages.h"

namespace host::sdl {

// Virtual key for an SDL key code (0 when the key has none). Shared with the
// tests, which check it against the headless script's table.
uint16_t virtual_key_for(int sdl_keycode, int sdl_scancode, bool ctrl);

std::unique_ptr<Backend> make_sdl_backend(const BackendOptions& options);

}  // namespace host::sdl
