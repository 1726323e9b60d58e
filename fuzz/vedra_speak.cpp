// `vedra_speak` on arbitrary Windows-1252 text: the whole pipeline over the
// shipped VEDRA data, into a stand-in MBROLA library that answers every line
// with samples, played on the headless host. The first byte picks the
// factors and file mode.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

#include "host/headless/headless_backend.h"
#include "host/text.h"
#include "sound/wave_player.h"
#include "textwindow/text_window.h"
#include "vedra/engine.h"

namespace {

constexpr size_t longest_text = 4000;
int pending = 0;

int write_line(char* line) {
    // A line must be one zero-terminated line ending in CR LF.
    const std::string_view text(line);
    if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") __builtin_trap();
    pending += static_cast<int>(text.size()) * 40;
    return 1;
}
int read_samples(short* samples, int wanted) {
    const int n = pending < wanted ? pending : wanted;
    for (int i = 0; i < n; ++i) samples[i] = static_cast<short>(i);
    pending -= n;
    return n;
}

struct Library : vedra::MbrolaLibrary {
    vedra::MbrolaApi table{};
    bool load_mbrola() override {
        table.init_MBR = [](char*) { return 0; };
        table.write_MBR = write_line;
        table.flush_MBR = [] { return 0; };
        table.read_MBR = read_samples;
        table.close_MBR = [] {};
        table.reset_MBR = [] { pending = 0; };
        table.lastError_MBR = [] { return 0; };
        table.setNoError_MBR = [](int) {};
        return true;
    }
    void unload_mbrola() override { table = {}; }
    const vedra::MbrolaApi& api() const override { return table; }
    void find_voice_database(std::string&) override {}
};

// The shipped data files, as the data set holds them (Windows-1252).
const std::string& data_folder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    const std::filesystem::path source =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "vedra";
    folder = (std::filesystem::temp_directory_path() /
              ("zimbalot-fuzz-vedra-" + std::to_string(::getpid())))
                 .string();
    std::filesystem::create_directories(folder);
    for (const char* name :
         {"portug.nrl", "portug.exc", "portug.abr", "portug.pro", "portug.dfn"}) {
        std::ifstream in(source / name, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(folder + "/" + name, std::ios::binary) << host::utf8_to_cp1252(text);
    }
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > longest_text) return 0;
    const std::string& folder = data_folder();
    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    options.exit_throws = true;
    options.idle_limit_ms = std::numeric_limits<uint32_t>::max();
    host::headless::HeadlessBackend backend(options);
    textwindow::TextWindow window(backend.host(), "fuzz");
    sound::WavePlayer player(backend.host(), window);
    Library library;
    vedra::Engine engine(backend.host(), player, library);
    const uint8_t switches = data[0];
    if (switches & 0x80) engine.vedra_set_output_file(folder + "/out.wav");
    const std::string f = folder + "/";
    if (!engine.vedra_init("", f + "portug.nrl", f + "portug.exc", f + "portug.abr",
                           f + "portug.pro", f + "portug.dfn"))
        std::abort();
    engine.vedra_set_factors(0.1 + (switches & 7) * 0.3, 0.5 + ((switches >> 3) & 7) * 0.25);
    engine.vedra_speak(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    while (engine.vedra_busy()) window.wait_message();
    engine.vedra_close();
    return 0;
}
