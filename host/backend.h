// Choosing and building a backend: the SDL2 desktop or the headless simulation.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/files.h"
#include "host/host.h"

namespace host {

struct BackendOptions {
    bool headless = false;
    // Headless: the input script (see README, "Headless scripts").
    std::string script;
    // Trace output file; empty = standard output (headless) or none (desktop).
    std::string trace_path;
    // Seed of the random generator; the desktop backend uses the clock unless
    // seed_given.
    uint32_t seed = 1;
    bool seed_given = false;
    // Headless: everything sent to the wave-out device, written as one WAV.
    std::string capture_path;
    // Screenshot of the client area written at exit (PNG).
    std::string screenshot_path;
    // Headless: once the script is used up, virtual time the program may spend
    // sleeping before the run ends with "script-end".
    uint32_t idle_limit_ms = 30000;
    // Desktop: keep the window hidden (the falar tool).
    bool hidden_window = false;
    // Desktop: the window must be seen (zimbalot, not falar). The backend is
    // not made when no display is named (main reads DISPLAY and
    // WAYLAND_DISPLAY into display_named), when SDL cannot reach it, or when
    // only a display-less video driver answers that video_driver
    // (SDL_VIDEODRIVER) did not ask for.
    bool needs_display = false;
    bool display_named = false;
    std::string video_driver;
    // The program's file path (initial window title).
    std::string program_path;
    // Names the program in messages ("falar: ...").
    std::string program_name = "zimbalot";
    // The folder the user started in: relative output names (`shot FILE`)
    // are resolved against it. Empty: the current folder at start.
    std::string start_folder;
    // Where KORALU.INI is read (main fills it from the environment); unset,
    // the folders of this build or install without a user folder.
    std::optional<ConfigFolders> folders;
    // Loudness of everything played, 0..100, applied to the samples on their
    // way to the device (and so in a headless capture too).
    int volume_percent = 100;
    // Desktop: start in full screen (F11 switches): the client scaled by the
    // largest whole factor that fits, centred on black.
    bool fullscreen = false;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual Host& host() = 0;
    // False when an output the user asked for (trace, capture, screenshot)
    // cannot be written; the reason was told on standard error.
    virtual bool outputs_ready() const { return true; }
    // Completes the outputs as at the end of a run; false when one failed
    // (told on standard error). The process exit does it too.
    virtual bool finish_outputs() { return true; }
    // Removes the outputs begun, for a run that failed before producing any.
    virtual void discard_outputs() {}
    // False when no sound device could be opened (the run goes on silent).
    virtual bool audio_available() const { return true; }
};

// Returns nullptr and writes a message to standard error when the desktop
// cannot be started.
std::unique_ptr<Backend> make_backend(const BackendOptions& options);

}  // namespace host
