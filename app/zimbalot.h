// The children's program: start-up, introduction, box game, key loop with the
// letter, digit, space and ESC answers, the activities and the closing screen.
#pragma once
#include "app/context.h"

namespace app {

// Runs the whole program; it ends the process (close_window_and_exit).
[[noreturn]] void run_zimbalot(Context& context);

}  // namespace app
