// falar's VEDRA stages: the normalised text, the token list, the phoneme
// script and the MBROLA lines of a text, read with the VEDRA data files that
// KORALU.INI names, and speaking through the VEDRA engine.
#include "app/falar_vedra.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "host/backend.h"
#include "host/native.h"
#include "host/headless/headless_backend.h"
#include "host/text.h"
#include "sound/wave_player.h"
#include "speech/speech.h"
#include "textwindow/text_window.h"
#include "vedra/engine.h"
#if __has_include("vedra/mbrola_binding.h")
#include "vedra/mbrola_binding.h"
#define FALAR_HAS_MBROLA_BINDING 1
#endif

namespace app {
namespace {

enum class Stage { none, normalise, tokens, script, pho };

struct VedraArguments {
    Stage stage = Stage::none;
    bool engine = false;
    std::string wav_path;
    std::string config_folder;
    host::ConfigFolders folders;
    std::string text;
    bool text_given = false;
};

std::string config_key(host::Files& files, const std::string& config_folder,
                       std::string_view section, std::string_view name) {
    const std::string folder = config_folder.empty() ? files.windows_folder() : config_folder;
    return speech::expand_family_folder(
        host::read_profile_string(files, folder + "/KORALU.INI", section, name, "", 255), folder);
}

// The data files from section VEDRATTS of KORALU.INI (folder, base name).
vedra::DataFiles data_files(host::Files& files, const std::string& config_folder) {
    const auto key = [&](std::string_view name) {
        return config_key(files, config_folder, "VEDRATTS", name);
    };
    std::string dir = key("DIR");
    std::string base = key("BASE");
    if (dir.empty()) dir = "\\morbel\\vedratts\\";
    if (base.empty()) base = "portug";
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
    vedra::DataFiles paths;
    paths.rules = dir + base + ".nrl";
    paths.exceptions = dir + base + ".exc";
    paths.abbreviations = dir + base + ".abr";
    paths.prosody = dir + base + ".pro";
    paths.diphone_list = dir + base + ".dfn";
    return paths;
}

void print_lines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::cout << host::cp1252_to_utf8(line) << "\n";
}

// Speaks the text through the VEDRA engine, or writes it into a WAV file
// (-w) in the engine's file mode.
int speak_with_engine(const VedraArguments& a) {
#ifndef FALAR_HAS_MBROLA_BINDING
    (void)a;
    std::cerr << "falar: no MBROLA synthesizer (esta construcao nao tem a biblioteca MBROLA)\n";
    return 1;
#else
    std::unique_ptr<host::Backend> backend;
    if (!a.wav_path.empty()) {
        // File mode plays nothing: the simulation's host serves it.
        host::headless::HeadlessOptions options;
        options.folders = a.folders;
        options.trace_to_stdout = false;
        backend = std::make_unique<host::headless::HeadlessBackend>(std::move(options));
    } else {
        host::BackendOptions options;
        options.folders = a.folders;
        options.hidden_window = true;
        options.program_path = "falar";
        backend = host::native::make_speaker_backend(options);
        if (!backend) return 1;
    }
    host::Host& host = backend->host();
    textwindow::TextWindow window(host, "falar");
    sound::WavePlayer player(host, window);
    vedra::MbrolaBinding binding(host.libraries, host.registry);
    vedra::Engine engine(host, player, binding);

    std::string output = a.wav_path;
    if (!output.empty() && output[0] != '/') output = host.files.current_directory() + "/" + output;
    engine.vedra_set_output_file(output);
    const vedra::DataFiles paths = data_files(host.files, a.config_folder);
    const std::string voice = config_key(host.files, a.config_folder, "VEDRATTS", "MBROLA_DB");
    if (!engine.vedra_init(voice, paths.rules, paths.exceptions, paths.abbreviations, paths.prosody,
                           paths.diphone_list)) {
        const std::string message = host::cp1252_to_utf8(engine.engine_message());
        std::cerr << "falar: "
                  << (message.empty() ? "no MBROLA synthesizer (a biblioteca MBROLA ou a voz "
                                        "nao pode iniciar)"
                                      : message)
                  << "\n";
        return 1;
    }
    // The adapter's factors for rate and pitch 0.
    engine.vedra_set_factors(0.8, 1.0);
    const bool spoken = engine.vedra_speak(host::utf8_to_cp1252(a.text));
    while (engine.vedra_busy()) window.wait_message();
    engine.vedra_close();
    if (!spoken) {
        std::cerr << "falar: o sintetizador MBROLA informou um erro\n";
        return 1;
    }
    return 0;
#endif
}

}  // namespace

int falar_vedra(int argc, char** argv, const host::ConfigFolders& folders) {
    VedraArguments a;
    a.folders = folders;
    bool only_text = false;
    bool wanted = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (only_text) continue;
        // Other engines are named the same way; only "vedra" is ours.
        if (arg == "--normalise" || arg == "--tokens" || arg == "--script" || arg == "--pho" ||
            (arg == "--engine" && i + 1 < argc && std::string(argv[i + 1]) == "vedra"))
            wanted = true;
        if (arg == "--") only_text = true;
    }
    if (!wanted) return -1;

    only_text = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool number_like = arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        if (only_text || arg.empty() || arg[0] != '-' || arg == "-" || number_like) {
            if (a.text_given) a.text += ' ';
            a.text += arg;
            a.text_given = true;
        } else if (arg == "--") {
            only_text = true;
        } else if (arg == "--normalise") {
            a.stage = Stage::normalise;
        } else if (arg == "--tokens") {
            a.stage = Stage::tokens;
        } else if (arg == "--script") {
            a.stage = Stage::script;
        } else if (arg == "--pho") {
            a.stage = Stage::pho;
        } else if (arg == "--engine") {
            if (i + 1 >= argc || std::string(argv[i + 1]) != "vedra") {
                std::cerr << "falar: --engine aceita so vedra\n";
                return 2;
            }
            ++i;
            a.engine = true;
        } else if (arg == "-w" && i + 1 < argc) {
            a.wav_path = argv[++i];
        } else if (arg == "--config" && i + 1 < argc) {
            a.config_folder = argv[++i];
        } else {
            std::cerr << "falar: opcao " << arg << " nao se combina com as etapas da VEDRA\n";
            return 2;
        }
    }
    if (!a.text_given) {
        std::cerr << "falar: falta o texto\n";
        return 2;
    }
    if (a.engine && a.stage == Stage::none) return speak_with_engine(a);

    host::headless::HeadlessOptions options;
    options.folders = a.folders;
    options.trace_to_stdout = false;
    host::headless::HeadlessBackend backend(std::move(options));
    host::Host& host = backend.host();
    vedra::Frontend frontend;
    const vedra::DataFiles paths = data_files(host.files, a.config_folder);
    const std::string failure = frontend.load(host.files, paths, [](std::string_view message) {
        std::cerr << "falar: " << host::cp1252_to_utf8(message) << "\n";
    });
    if (!failure.empty()) {
        std::cerr << "falar: " << host::cp1252_to_utf8(failure) << "\n";
        return 1;
    }
    const std::string text = host::utf8_to_cp1252(a.text);
    const std::string normalised = frontend.normalise(text);
    if (a.stage == Stage::normalise) {
        std::cout << host::cp1252_to_utf8(normalised) << "\n";
        return 0;
    }
    const vedra::TokenList tokens = frontend.token_list(normalised);
    if (a.stage == Stage::tokens) {
        print_lines(tokens);
        return 0;
    }
    const vedra::PhonemeScript script = frontend.phoneme_script(tokens);
    if (a.stage == Stage::script) {
        print_lines(script);
        return 0;
    }
    print_lines(frontend.mbrola_lines(script, 1.0, 1.0));
    return 0;
}

}  // namespace app
