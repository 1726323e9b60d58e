// On Windows the desktop is the Win32 one, a program that only speaks uses
// the same backend without a window, and the SAPI classes are the system's
// own COM classes.
#include <windows.h>

#include "host/native.h"
#include "host/win32/com_engines.h"
#include "host/win32/win32_backend.h"

namespace host::native {
namespace {

class ComRuntime : public SpeechRuntime {
public:
    explicit ComRuntime(Host& inner) : inner_(inner) {}
    Host& host() override { return inner_; }
    bool register_classes(sapi::Factory& factory) override {
        return engines_.register_classes(factory);
    }

private:
    Host& inner_;
    win32::ComEngines engines_;
};

}  // namespace

std::unique_ptr<Backend> make_desktop_backend(const BackendOptions& options) {
    // The programs are console programs so that headless runs and messages
    // reach a terminal. Started from the desktop, the system made a console
    // for this process alone: let it go, so a child sees only the window.
    DWORD processes[2];
    if (!options.hidden_window && GetConsoleProcessList(processes, 2) == 1) FreeConsole();
    return win32::make_win32_backend(options);
}

std::unique_ptr<Backend> make_speaker_backend(const BackendOptions& options) {
    BackendOptions speaker = options;
    speaker.hidden_window = true;
    return win32::make_win32_backend(speaker);
}

std::unique_ptr<SpeechRuntime> make_speech_runtime(Host& inner) {
    return std::make_unique<ComRuntime>(inner);
}

}  // namespace host::native
