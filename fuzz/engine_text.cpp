// Arbitrary Windows-1252 text handed to the SAPI clients and on to the
// espeak-ng runtime on the headless host: trimming, the 64000-byte buffer,
// wide strings, the text the engine reads, and a stop in the middle.
// The first byte picks the client (bit 0: SAPI 4 or SAPI 5), whether the
// text goes to a file (bit 1) and whether it is stopped early (bit 2).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "host/espeak/runtime.h"
#include "host/headless/headless_backend.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"
#include "sound/wave_player.h"
#include "speech/engine.h"
#include "textwindow/text_window.h"

namespace {

// espeak-ng reads every text to its end: longer inputs only slow the search.
constexpr size_t longest_text = 600;

const std::string& output_file() {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("zimbalot-fuzz-engine-" + std::to_string(::getpid()) + ".wav"))
            .string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > longest_text) return 0;
    const uint8_t mode = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    options.exit_throws = true;
    options.idle_limit_ms = std::numeric_limits<uint32_t>::max();
    host::headless::HeadlessBackend backend(options);
    host::espeak::Runtime runtime(backend.host());
    host::Host& host = runtime.host();
    textwindow::TextWindow window(host, "fuzz");
    sound::WavePlayer player(host, window);
    speech::WindowEnvironment environment(host, window, player);
    sapi::Factory factory;
    if (!runtime.register_classes(factory)) std::abort();  // the runtime must be there

    const bool sapi4 = mode & 1;
    const std::string file = (mode & 2) ? output_file() : std::string();
    const bool stop_early = mode & 4;
    bool markup = false;
    sapi::Sapi4Client client4(factory, environment);
    sapi::Sapi5Client client5(factory, environment, sapi::sapi5_library, markup);
    const bool started =
        sapi4 ? client4.sapi4_start(1, 0, 0, file) : client5.sapi5_start(1, 0, 0, file);
    if (!started) std::abort();
    const auto busy = [&] { return sapi4 ? client4.sapi4_busy(0) : client5.sapi5_busy(); };

    try {
        if (sapi4)
            client4.sapi4_speak(text);
        else
            client5.sapi5_speak(text);
        // The program's wait: messages handled, then the question, then a
        // short sleep (nothing else is scheduled on this host).
        for (int polls = 0;; ++polls) {
            window.pump_messages();
            if (!busy()) break;
            if (stop_early && polls == 2) {
                if (sapi4)
                    client4.sapi4_stop();
                else
                    client5.sapi5_stop();
            }
            host.clock.sleep_ms(20);
        }
        if (sapi4)
            client4.sapi4_close();
        else
            client5.sapi5_close();
    } catch (const host::headless::ProcessExit&) {
        std::abort();  // nothing here may end the process
    }
    return 0;
}
