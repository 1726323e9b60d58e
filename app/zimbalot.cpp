#include "app/zimbalot.h"

namespace app {

// Placeholder until the application lands: open the window, wait for ESC.
void run_zimbalot(Context& context) {
    context.window.clear_screen();
    context.window.set_title("Zimbalot");
    while (context.window.read_key() != 27) {
    }
    context.window.close_window_and_exit();
}

}  // namespace app
