// write_text over a full screen of text that keeps scrolling, on the headless
// host (same drawing code as the desktop): characters per second, and text
// runs drawn per line written, with the repaint scroll and the pixel-copy
// scroll.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/headless/headless_backend.h"
#include "textwindow/text_window.h"

namespace {

// A Windows folder with the given KORALU.INI, so the run does not depend on
// the machine's configuration.
host::ConfigFolders use_configuration(const std::string& ini) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "zimbalot-textwindow-bench";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "KORALU.INI", std::ios::trunc) << ini;
    return host::ConfigFolders::only(dir.string());
}

void write_screens(benchmark::State& state, const std::string& ini) {
    host::headless::HeadlessOptions options;
    options.folders = use_configuration(ini);
    options.trace_to_stdout = false;
    host::headless::HeadlessBackend backend(options);
    textwindow::TextWindow window(backend.host(), "zimbalot_bench");
    window.clear_screen();

    // 79 characters and CR LF per line, three colours a line.
    std::string line;
    for (int c = 0; c < 79; ++c) line.push_back(static_cast<char>('!' + (c * 7) % 90));
    line.append("\r\n");
    const uint64_t runs_before = backend.text_runs_drawn();
    int64_t lines = 0;
    for (auto _ : state) {
        for (int r = 0; r < textwindow::screen_rows; ++r) {
            window.set_text_colour(static_cast<uint8_t>(9 + r % 3));
            window.write_text(line);
        }
        lines += textwindow::screen_rows;
    }
    state.SetItemsProcessed(lines * static_cast<int64_t>(line.size()));
    state.counters["chars/s"] =
        benchmark::Counter(static_cast<double>(lines * line.size()), benchmark::Counter::kIsRate);
    state.counters["runs/line"] =
        static_cast<double>(backend.text_runs_drawn() - runs_before) / static_cast<double>(lines);
}

void BM_WriteTextScrollRepaint(benchmark::State& state) {
    write_screens(state, "[VIDEO]\n");
}
void BM_WriteTextScrollCopy(benchmark::State& state) {
    write_screens(state, "[VIDEO]\nLENTO=S\n");
}

}  // namespace

BENCHMARK(BM_WriteTextScrollRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTextScrollCopy)->Unit(benchmark::kMillisecond);
