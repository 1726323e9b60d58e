#include "app/falar_engines.h"

#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <string>

#include "app/context.h"
#include "host/backend.h"
#include "host/headless/headless_backend.h"
#include "host/native.h"
#include "host/text.h"

namespace app {
namespace {

const char* const engine_usage =
    "Uso: falar --engine sapi5|sapi54|sapi4 [-w ARQ.wav] [--voz N] [--rate N] [--trace ARQ] "
    "TEXTO...\n"
    "  --voz N     numero da voz (1 = portugues do Brasil)\n"
    "  --rate N    velocidade da voz (SAPI 5: -10 a 10; SAPI 4: palavras por minuto)\n";

int engine_type_named(const std::string& name) {
    if (name == "sapi5") return 5;
    if (name == "sapi54") return 54;
    if (name == "sapi4") return 4;
    return -1;
}

bool parse_int(const std::string& text, int& out) {
    try {
        size_t used = 0;
        const long v = std::stol(text, &used);
        if (used != text.size() || v < -100000 || v > 100000) return false;
        out = static_cast<int>(v);
        return true;
    } catch (...) {
        return false;
    }
}

int refuse(const std::string& message) {
    std::cerr << "falar: " << message << "\n" << engine_usage;
    return 2;
}

}  // namespace

int falar_engines(int argc, char** argv, const host::ConfigFolders& folders) {
    int type = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--") break;
        if (std::string(argv[i]) == "--engine") type = engine_type_named(argv[i + 1]);
    }
    if (type < 0) return -1;

    std::string text, wav_path, trace_path;
    bool text_given = false, only_text = false;
    int voice = 1, rate = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool number_like = arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        const auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return !out.empty();
        };
        std::string v;
        if (only_text || arg.empty() || arg[0] != '-' || arg == "-" || number_like) {
            if (text_given) text += ' ';
            text += arg;
            text_given = true;
        } else if (arg == "--") {
            only_text = true;
        } else if (arg == "--engine") {
            ++i;
        } else if (arg == "-w") {
            if (!value(wav_path)) return refuse("-w precisa de um arquivo");
        } else if (arg == "--trace") {
            if (!value(trace_path)) return refuse("--trace precisa de um arquivo");
        } else if (arg == "--voz") {
            if (!value(v) || !parse_int(v, voice)) return refuse("--voz precisa de um numero");
        } else if (arg == "--rate") {
            if (!value(v) || !parse_int(v, rate)) return refuse("--rate precisa de um numero");
        } else {
            return refuse("opcao " + arg + " nao se combina com --engine " + argv[0]);
        }
    }
    if (!text_given) return refuse("falta o texto");
    // Outputs are named relative to the folder falar was started in.
    if (!wav_path.empty()) wav_path = std::filesystem::absolute(wav_path).string();
    if (!trace_path.empty()) trace_path = std::filesystem::absolute(trace_path).string();

    // Writing a file needs no device: the simulation runs it on its clock.
    std::unique_ptr<host::Backend> backend;
    if (!wav_path.empty()) {
        host::headless::HeadlessOptions options;
        options.folders = folders;
        options.trace_path = trace_path;
        options.trace_to_stdout = false;
        options.idle_limit_ms = std::numeric_limits<uint32_t>::max();
        backend = std::make_unique<host::headless::HeadlessBackend>(std::move(options));
    } else {
        host::BackendOptions options;
        options.folders = folders;
        options.hidden_window = true;
        options.trace_path = trace_path;
        options.program_path = argv[0];
        backend = host::native::make_speaker_backend(options);
        if (!backend) return 1;
    }

    const auto runtime = host::native::make_speech_runtime(backend->host());
    Context context(runtime->host(), argv[0]);
    runtime->register_classes(context.sapi_factory);
    speech::EngineDispatch& engine = context.engines.dispatch();
    if (!engine.engine_start(voice, rate, 0, type, host::utf8_to_cp1252(wav_path))) {
        std::cerr << "falar: a voz SAPI " << type << " nao pode iniciar\n";
        return 1;
    }
    engine.engine_speak(host::utf8_to_cp1252(text));
    while (engine.engine_busy(0)) context.window.wait_message();
    engine.engine_close();
    if (!wav_path.empty() && !std::filesystem::exists(wav_path)) {
        std::cerr << "falar: " << wav_path << " nao pode ser gravado\n";
        return 4;
    }
    return 0;
}

}  // namespace app
