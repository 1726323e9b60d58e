// zimbalot: the children's program, on the desktop or headless.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/context.h"
#include "app/settings.h"
#include "app/zimbalot.h"
#include "host/backend.h"
#include "host/common/output_file.h"
#include "host/common/run_outputs.h"
#include "host/native.h"
#include "host/headless/headless_backend.h"

namespace {

const char* const usage =
    "Uso: zimbalot [opcoes]\n"
    "  (sem opcoes)          abre a janela do programa, com som\n"
    "  --headless            simulacao sem janela: relogio virtual, teclas de um roteiro\n"
    "  --keys \"A B ESC\"      roteiro de teclas na linha de comando (com --headless)\n"
    "  --script ARQUIVO      roteiro de teclas num arquivo (com --headless)\n"
    "  --trace ARQUIVO       registro dos eventos (padrao com --headless: saida padrao)\n"
    "  --seed N              semente dos sorteios (vogal, clique, ruido)\n"
    "  --capture ARQ.wav     grava tudo o que vai ao dispositivo de som (com --headless)\n"
    "  --screenshot ARQ.png  imagem da janela ao terminar\n"
    "  --idle-limit MS       com --headless: tempo ocioso depois do roteiro (padrao 30000)\n"
    "  --config-path         mostra os arquivos KORALU.INI lidos, do mais forte ao mais fraco\n"
    "  --kiosk               trava: ESC nao sai e a janela nao fecha; so Ctrl+Alt+Shift+Q\n"
    "                        segurado 2 s termina (TRAVA de [ZIMBALOT], padrao N)\n"
    "  --volume N            volume de 0 a 100 (VOLUME, padrao 100)\n"
    "  --mute                sem som (MUDO, padrao N)\n"
    "  --fullscreen          tela cheia; F11 alterna (TELACHEIA, padrao N)\n"
    "  --version             mostra a versao\n"
    "  --help                esta ajuda\n";

bool read_file(const std::string& path, std::string& out) {
    // A folder opens as a stream on Linux and reads as nothing.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool parse_number(const char* text, uint32_t& out) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (!*text || *end || v > 0xFFFFFFFFul) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    argv = host::native::utf8_arguments(argc, argv);
    host::common::remove_partial_outputs_on_signals();
    host::common::binary_standard_output();
    host::BackendOptions options;
    options.program_path = argv[0];
    // Outputs are named from the folder the user started in; the program
    // changes into its own folder later.
    host::native::Files start_files;
    options.start_folder = start_files.current_directory();
    options.folders = host::native::config_folders(
        std::getenv("KORALU_WINDOWS"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    options.folders->drives = host::drive_map([](const char* name) { return std::getenv(name); });
    bool script_given = false;
    // The command line wins over [ZIMBALOT] of KORALU.INI.
    bool kiosk = false, mute = false, fullscreen = false;
    int volume = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::cerr << "zimbalot: " << arg << " precisa de " << what << "\n" << usage;
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << usage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "zimbalot " ZIMBALOT_VERSION "\n";
            return 0;
        } else if (arg == "--kiosk") {
            kiosk = true;
        } else if (arg == "--mute") {
            mute = true;
        } else if (arg == "--fullscreen") {
            fullscreen = true;
        } else if (arg == "--volume") {
            if (!app::parse_volume(value("um numero de 0 a 100"), volume)) {
                std::cerr << "zimbalot: --volume precisa de um numero de 0 a 100\n";
                return 2;
            }
        } else if (arg == "--config-path") {
            host::native::Files files(*options.folders);
            for (const std::string& file : host::native::config_candidates(files.folders, "KORALU.INI"))
                std::cout << file << (files.file_exists(file) ? "" : " (não existe)") << "\n";
            return 0;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--keys") {
            options.script += std::string(value("as teclas")) + "\n";
            script_given = true;
        } else if (arg == "--script") {
            const std::string path = value("um arquivo");
            std::string text;
            if (!read_file(path, text)) {
                std::cerr << "zimbalot: nao consigo ler o roteiro " << path << "\n";
                return 2;
            }
            options.script += text + "\n";
            script_given = true;
        } else if (arg == "--trace") {
            options.trace_path =
                host::common::absolute_path(value("um arquivo"), options.start_folder);
        } else if (arg == "--seed") {
            if (!parse_number(value("um numero"), options.seed)) {
                std::cerr << "zimbalot: --seed precisa de um numero\n";
                return 2;
            }
            options.seed_given = true;
        } else if (arg == "--capture") {
            options.capture_path =
                host::common::absolute_path(value("um arquivo"), options.start_folder);
        } else if (arg == "--screenshot") {
            options.screenshot_path =
                host::common::absolute_path(value("um arquivo"), options.start_folder);
        } else if (arg == "--idle-limit") {
            if (!parse_number(value("um numero"), options.idle_limit_ms)) {
                std::cerr << "zimbalot: --idle-limit precisa de um numero\n";
                return 2;
            }
        } else {
            std::cerr << "zimbalot: opcao desconhecida " << arg << "\n" << usage;
            return 2;
        }
    }
    if (!options.headless && (script_given || !options.capture_path.empty())) {
        std::cerr << "zimbalot: --keys, --script e --capture so valem com --headless\n";
        return 2;
    }
    std::string error;
    if (!host::headless::check_script(options.script, &error)) {
        std::cerr << "zimbalot: " << error << "\n";
        return 2;
    }
    host::native::Files config_files(*options.folders);
    app::ProgramSettings settings = app::read_program_settings(config_files);
    settings.kiosk = settings.kiosk || kiosk;
    settings.mute = settings.mute || mute;
    settings.fullscreen = settings.fullscreen || fullscreen;
    if (volume >= 0) settings.volume_percent = volume;
    options.volume_percent = settings.output_volume();
    options.fullscreen = settings.fullscreen;
    if (!options.headless) {
        const auto named = [](const char* variable) {
            const char* value = std::getenv(variable);
            return value && *value;
        };
        options.needs_display = true;
        options.display_named = named("DISPLAY") || named("WAYLAND_DISPLAY");
        if (const char* driver = std::getenv("SDL_VIDEODRIVER")) options.video_driver = driver;
    }
    auto backend = host::make_backend(options);
    if (!backend) return 1;
    if (!backend->outputs_ready()) return host::common::exit_output_failed;
    // The speech runtime takes its own messages before the program sees them.
    const auto speech_runtime = host::native::make_speech_runtime(backend->host());
    app::Context context(speech_runtime->host(), options.program_path);
    speech_runtime->register_classes(context.sapi_factory);
    context.window.set_kiosk(settings.kiosk);
    app::run_zimbalot(context);
}
