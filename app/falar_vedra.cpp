// falar's VEDRA stages: the normalised text, the token list, the phoneme
// script and the MBROLA lines of a text, read with the VEDRA data files that
// KORALU.INI names, and speaking through the VEDRA engine.
#include "app/falar_vedra.h"

#include <iostream>
#include <string>
#include <vector>

#include "host/headless/headless_backend.h"
#include "host/text.h"
#include "speech/speech.h"
#include "vedra/engine.h"

namespace app {
namespace {

enum class Stage { none, normalise, tokens, script, pho };

struct VedraArguments {
    Stage stage = Stage::none;
    bool engine = false;
    std::string config_folder;
    std::string text;
    bool text_given = false;
};

// The data files from section VEDRATTS of KORALU.INI (folder, base name).
vedra::DataFiles data_files(host::Files& files, const std::string& config_folder) {
    const std::string folder = config_folder.empty() ? files.windows_folder() : config_folder;
    const std::string ini = folder + "/KORALU.INI";
    const auto key = [&](std::string_view name) {
        return speech::expand_family_folder(
            host::read_profile_string(files, ini, "VEDRATTS", name, "", 255), folder);
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

}  // namespace

int falar_vedra(int argc, char** argv) {
    VedraArguments a;
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
            ++i;  // the engine's output file
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
    if (a.engine && a.stage == Stage::none) {
        // The engine needs the MBROLA library binding and a synthesizer
        // behind it; this build has neither.
        std::cerr << "falar: no MBROLA synthesizer (nenhum sintetizador MBROLA instalado)\n";
        return 1;
    }

    host::headless::HeadlessOptions options;
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
