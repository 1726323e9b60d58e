// falar: the family's speech library from the command line. Speaks a text,
// writes what would be played into a WAV file, or prints the phoneme strings,
// the number words or the diphone units for a text. Arguments and results
// are UTF-8; inside, everything is Windows-1252.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

#include "app/context.h"
#include "app/falar_engines.h"
#include "app/falar_vedra.h"
#include "host/backend.h"
#include "host/common/output_file.h"
#include "host/common/run_outputs.h"
#include "host/native.h"
#include "host/headless/headless_backend.h"
#include "host/text.h"

namespace {

const char* const usage =
    "Uso: falar [opções] [TEXTO...]\n"
    "Fala o texto em português com a biblioteca de fala (KORALU.INI e os dados da família).\n"
    "Sem TEXTO e sem -f, o texto vem da entrada padrão.\n"
    "  (sem opções)       fala o texto no dispositivo de som\n"
    "  -f ARQ             fala o texto do arquivo (- é a entrada padrão)\n"
    "  -w ARQ.wav         grava num arquivo WAV o que seria tocado, em vez de tocar\n"
    "  --config PASTA     lê só o KORALU.INI desta pasta (a pasta do Windows)\n"
    "  --speed N          velocidade 1 a 5 (padrão: VELOCIDADE de [TRADUTOR])\n"
    "  --phonemes         imprime a cadeia de fonemas de cada trecho de letras\n"
    "  --units            imprime as unidades que o sintetizador busca: ok ou falta\n"
    "  --numero N         imprime as palavras do número N (0 a 999999999999999)\n"
    "  --normalise, --tokens, --script, --pho\n"
    "                     imprime o texto normalizado, os tokens, o roteiro de fonemas\n"
    "                     ou as linhas MBROLA da voz VEDRA\n"
    "  --engine vedra     fala (ou grava com -w) pela voz VEDRA\n"
    "  --engine sapi5|sapi54|sapi4 [--voz N] [--rate N]\n"
    "                     fala (ou grava com -w) por uma voz SAPI (no Linux, as vozes do\n"
    "                     espeak-ng; --voz 1 é o português do Brasil)\n"
    "  --trace ARQ        registro dos eventos (com -w, --phonemes ou --units)\n"
    "  --                 o resto é texto, mesmo se começar com -\n"
    "  --version          mostra a versão\n"
    "  --help             esta ajuda\n"
    "Saída: 0 sucesso, 1 o sintetizador não pode iniciar, 2 argumentos errados,\n"
    "       3 sem dispositivo de som (use -w), 4 um arquivo pedido não pode ser gravado.\n";

constexpr uint64_t largest_number = 999999999999999ull;

int bad_arguments(const std::string& message) {
    std::cerr << "falar: " << message << "\n" << usage;
    return 2;
}

bool parse_unsigned(const std::string& text, uint64_t limit, uint64_t& out) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = uint64_t(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
        value = value * 10 + digit;
    }
    if (value > limit) return false;
    out = value;
    return true;
}

struct Arguments {
    std::string text;  // UTF-8 as given
    bool text_given = false;
    std::string wav_path;
    std::string trace_path;
    int speed = 0;
    bool phonemes = false;
    bool units = false;
    bool number_given = false;
    uint64_t number = 0;
    host::ConfigFolders folders;
    std::string text_file;  // -f; "-" is standard input
    bool version = false;
};

// 0 to go on, otherwise the exit code.
int parse(int argc, char** argv, Arguments& a, bool& help) {
    bool only_text = false;
    // The text is at most every argument joined: held once, never regrown.
    size_t arguments_length = 0;
    for (int i = 1; i < argc; ++i) arguments_length += std::strlen(argv[i]) + 1;
    a.text.reserve(arguments_length);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        // "-5" is text (a negative number), not an option.
        const bool number_like = arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        if (only_text || arg.empty() || arg[0] != '-' || arg == "-" || number_like) {
            if (a.text_given) a.text += ' ';
            a.text += arg;
            a.text_given = true;
            continue;
        }
        std::string v;
        if (arg == "--") {
            only_text = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            a.version = true;
        } else if (arg == "-f") {
            if (!value(a.text_file) || a.text_file.empty())
                return bad_arguments("-f precisa de um arquivo");
        } else if (arg == "-w") {
            if (!value(a.wav_path) || a.wav_path.empty())
                return bad_arguments("-w precisa de um arquivo");
        } else if (arg == "--config") {
            if (!value(v) || v.empty()) return bad_arguments("--config precisa de uma pasta");
            a.folders.windows = v;
        } else if (arg == "--speed") {
            uint64_t n = 0;
            if (!value(v) || !parse_unsigned(v, 5, n) || n == 0)
                return bad_arguments("--speed precisa de um numero de 1 a 5");
            a.speed = static_cast<int>(n);
        } else if (arg == "--phonemes") {
            a.phonemes = true;
        } else if (arg == "--units") {
            a.units = true;
        } else if (arg == "--numero") {
            if (!value(v) || !parse_unsigned(v, largest_number, a.number))
                return bad_arguments("--numero precisa de um numero de 0 a 999999999999999");
            a.number_given = true;
        } else if (arg == "--trace") {
            if (!value(a.trace_path) || a.trace_path.empty())
                return bad_arguments("--trace precisa de um arquivo");
        } else {
            return bad_arguments("opcao desconhecida " + arg);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    argv = host::native::utf8_arguments(argc, argv);
    host::common::binary_standard_output();
    // The environment is read here only; the rest gets it as options.
    host::ConfigFolders folders = host::native::config_folders(
        std::getenv("KORALU_WINDOWS"), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    folders.drives = host::drive_map([](const char* name) { return std::getenv(name); });
    if (const int engine_code = app::falar_engines(argc, argv, folders); engine_code >= 0)
        return engine_code;
    if (const int vedra_code = app::falar_vedra(argc, argv, folders); vedra_code >= 0)
        return vedra_code;
    host::common::remove_partial_outputs_on_signals();
    Arguments args;
    args.folders = folders;
    bool help = false;
    if (const int code = parse(argc, argv, args, help); code != 0) return code;
    if (help) {
        std::cout << usage;
        return 0;
    }
    if (args.version) {
        std::cout << "falar " ZIMBALOT_VERSION "\n";
        return 0;
    }
    if (args.number_given) {
        if (args.text_given || args.phonemes || args.units || !args.wav_path.empty())
            return bad_arguments("--numero nao se combina com texto nem com outras opcoes");
        std::cout << host::cp1252_to_utf8(speech::recorded_number_words(args.number)) << "\n";
        return 0;
    }
    if (!args.text_file.empty() && args.text_given)
        return bad_arguments("-f não se combina com texto na linha de comando");
    if (!args.text_given) {
        // Like other speech tools: a file, or standard input when no text is given.
        std::ifstream file;
        if (args.text_file.size() > 0 && args.text_file != "-") {
            file.open(args.text_file, std::ios::binary);
            if (!file) {
                std::cerr << "falar: não consigo ler o arquivo " << args.text_file << "\n";
                return 2;
            }
        }
        std::istream& in = file.is_open() ? static_cast<std::istream&>(file) : std::cin;
        args.text.assign(std::istreambuf_iterator<char>(in), {});
        args.text_given = args.text.find_first_not_of(" \t\r\n") != std::string::npos;
    }
    if (!args.text_given) return bad_arguments("falta o texto");
    const std::string text = host::utf8_to_cp1252(args.text);
    std::string().swap(args.text);  // a long text is held once, not twice

    // Printing and writing a file need no real device: the simulation runs
    // them on its virtual clock, without a window.
    const bool simulated = !args.wav_path.empty() || args.phonemes || args.units;
    const std::string start_folder = host::native::Files().current_directory();
    std::unique_ptr<host::Backend> backend;
    if (simulated) {
        host::headless::HeadlessOptions options;
        options.program_name = "falar";
        options.start_folder = start_folder;
        options.trace_path = host::common::absolute_path(args.trace_path, start_folder);
        options.trace_to_stdout = false;
        options.capture_path = host::common::absolute_path(args.wav_path, start_folder);
        options.keep_in_memory = false;
        // A text that gives no sound gives no file either.
        options.capture_requires_samples = true;
        // Long texts pause at every mark; no script is waiting to end the run.
        options.idle_limit_ms = std::numeric_limits<uint32_t>::max();
        options.folders = args.folders;
        backend = std::make_unique<host::headless::HeadlessBackend>(std::move(options));
    } else {
        host::BackendOptions options;
        options.hidden_window = true;
        options.program_name = "falar";
        options.start_folder = start_folder;
        options.trace_path = host::common::absolute_path(args.trace_path, start_folder);
        options.program_path = argv[0];
        options.folders = args.folders;
        backend = host::native::make_speaker_backend(options);
        if (!backend) return 1;
        if (!backend->audio_available()) {
            backend->finish_outputs();  // the trace tells "audio-none"
            std::cerr << "falar: sem dispositivo de som; use -w ARQ.wav para gravar a fala\n";
            return 3;
        }
    }
    if (!backend->outputs_ready()) return host::common::exit_output_failed;

    int code = 0;
    {
        // With SAPI=S in KORALU.INI the text goes to the speech runtime's voices.
        const auto speech_runtime = host::native::make_speech_runtime(backend->host());
        app::Context context(speech_runtime->host(), argv[0]);
        speech_runtime->register_classes(context.sapi_factory);
        speech::SpeechFrontEnd& speech = context.speech;
        if (const int error = speech.start_speech_checked(args.speed, ""); error != 0) {
            for (const std::string& line : speech.start_failure_lines(error))
                std::cerr << host::cp1252_to_utf8(line) << "\n";
            code = 1;
        } else {
            if (args.phonemes)
                speech.on_phonemes = [](std::string_view, std::string_view phonemes) {
                    std::cout << host::cp1252_to_utf8(phonemes) << "\n";
                };
            if (args.units)
                context.synth.on_unit = [](std::string_view name, bool found) {
                    std::cout << host::cp1252_to_utf8(name) << (found ? " ok" : " falta") << "\n";
                };
            speech.speak(text);
            speech.end_speech();
            speech.on_phonemes = nullptr;
            context.synth.on_unit = nullptr;
        }
    }
    if (code != 0)
        backend->discard_outputs();
    else if (!backend->finish_outputs())
        code = host::common::exit_output_failed;
    return code;
}
