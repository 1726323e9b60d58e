// `speak` on arbitrary Windows-1252 text, through the real front-end, player
// and diphone synthesizer on the headless host with a small family folder.
// The first byte picks the switches (say punctuation, collect mode, speed).
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "app/context.h"
#include "host/headless/headless_backend.h"
#include "tests/speech/speech_fixture.h"

namespace {

constexpr size_t longest_text = 4000;

// The Windows folder of every run.
const std::string& prepare_family_folder() {
    static std::string windows;
    if (!windows.empty()) return windows;
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("zimbalot-fuzz-speak-" + std::to_string(::getpid())))
                                 .string();
    speechtest::Fixture fixture{root + "/familia"};
    fixture.write_data(1500);
    auto ini = fixture.ini();
    ini["SINTETIZADOR"]["PAUSAPONTO3"] = "100";
    speechtest::Fixture::write_ini(root + "/windows/KORALU.INI", ini);
    windows = root + "/windows";
    return windows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > longest_text) return 0;
    host::headless::HeadlessOptions options;
    options.folders = host::ConfigFolders::only(prepare_family_folder());
    options.trace_to_stdout = false;
    options.exit_throws = true;
    options.idle_limit_ms = std::numeric_limits<uint32_t>::max();
    host::headless::HeadlessBackend backend(options);
    try {
        app::Context context(backend.host(), "fuzz");
        speech::SpeechFrontEnd& speech = context.speech;
        const uint8_t switches = data[0];
        if (speech.start_speech_checked(1 + switches % 5, "") != 0) std::abort();
        speech.say_punctuation = (switches & 0x08) != 0;
        speech.collect_mode = (switches & 0x10) != 0;
        const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
        if (speech.collect_mode) {
            // Gathered in pieces at each line break, then spoken at once.
            size_t start = 0;
            while (start <= text.size()) {
                const size_t end = std::min(text.find('\n', start), text.size());
                speech.speak(text.substr(start, end - start));
                start = end + 1;
            }
            speech.speak("");
        } else {
            speech.speak(text);
        }
        speech.end_speech();
    } catch (const host::headless::ProcessExit&) {
        // Only a scripted end could get here; there is no script.
        std::abort();
    }
    return 0;
}
