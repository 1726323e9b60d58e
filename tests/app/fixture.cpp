#include "fixture.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/assets.h"
#include "host/random.h"

namespace apptest {
namespace {

void put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string replace_all(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string with_time(uint64_t ms, std::string_view word, std::string_view args) {
    std::string line = std::to_string(ms) + " " + std::string(word);
    if (!args.empty()) line += " " + std::string(args);
    return line;
}

}  // namespace

void write_wav(const std::string& path, uint64_t duration_ms) {
    const uint32_t rate = 8000;
    const uint32_t length = static_cast<uint32_t>(duration_ms * rate / 1000);
    std::string out = "RIFF";
    put32(out, 36 + length);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);     // PCM
    put16(out, 1);     // mono
    put32(out, rate);  // samples per second
    put32(out, rate);  // bytes per second
    put16(out, 1);     // block align
    put16(out, 8);     // bits
    out += "data";
    put32(out, length);
    for (uint32_t i = 0; i < length; ++i) out.push_back(static_cast<char>(i % 16 < 8 ? 112 : 144));
    testsupport::write_file(path, out);
}

void write_pcx(const std::string& path) {
    const int width = 4;
    const int height = 2;
    std::string out(128, '\0');
    out[0] = 10;  // manufacturer
    out[1] = 5;   // version: a 256-colour palette follows
    out[2] = 1;   // run-length encoded
    out[3] = 8;   // bits per pixel
    out[8] = width - 1;
    out[10] = height - 1;
    out[65] = 1;
    out[66] = width;
    for (int i = 0; i < width * height; ++i) out.push_back(static_cast<char>(i % 3));
    out.push_back(12);
    for (int i = 0; i < 256; ++i) {
        out.push_back(static_cast<char>(i == 1 ? 255 : 0));
        out.push_back(static_cast<char>(i == 2 ? 255 : 0));
        out.push_back(static_cast<char>(i == 0 ? 255 : 0));
    }
    testsupport::write_file(path, out);
}

Family::Family(const std::string& windows_dir, bool program_key) {
    root = testsupport::make_temp_dir("family");
    program_folder = root + "/zimbalot";
    for (std::string_view name : app::assets::fixed_sounds)
        write_wav(program_folder + "/" + std::string(name) + ".wav",
                  name == app::assets::intro2 ? intro2_ms : sound_ms);
    // Pictures in both cases of extension: the program asks for ".PCX".
    bool upper = true;
    for (std::string_view name : app::assets::fixed_pictures) {
        write_pcx(program_folder + "/" + std::string(name) + (upper ? ".PCX" : ".pcx"));
        upper = !upper;
    }
    // Letter and digit files, tested as ".WAV" and played as ".wav".
    write_pcx(program_folder + "/B.PCX");
    write_wav(program_folder + "/B1.WAV", sound_ms);
    write_wav(program_folder + "/b2.wav", sound_ms);
    write_pcx(program_folder + "/a.pcx");
    write_wav(program_folder + "/A1.WAV", sound_ms);
    write_wav(program_folder + "/C3.WAV", sound_ms);
    write_wav(program_folder + "/3.WAV", sound_ms);

    std::filesystem::create_directories(root + "/letras");
    testsupport::write_file(root + "/difones/TESTE.IND", std::string());
    testsupport::write_file(root + "/difones/TESTE.DIF", std::string());
    testsupport::write_file(root + "/difones/regras.rgr", "(A)=a|\r\n");
    testsupport::write_file(root + "/difones/portug.exc", "");

    const auto bytes =
        testsupport::read_file(testsupport::source_path("tests/fixtures/app/KORALU.INI"));
    std::string ini = replace_all(std::string(bytes.begin(), bytes.end()), "{FAMILY}", root);
    if (!program_key) ini = replace_all(ini, "DIRZIMBALOT=", "; DIRZIMBALOT=");
    testsupport::write_file(windows_dir + "/KORALU.INI", ini);
}

std::vector<std::string> app_events(const host::headless::HeadlessBackend& backend, size_t from) {
    static const std::set<std::string> words{"picture", "sound", "bigchar", "exit", "script-end"};
    std::vector<std::string> out;
    const auto& lines = backend.trace_lines();
    for (size_t i = from; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t a = line.find(' ');
        if (a == std::string::npos) continue;
        const size_t b = line.find(' ', a + 1);
        const std::string word = line.substr(a + 1, b == std::string::npos ? b : b - a - 1);
        if (words.count(word)) out.push_back(line);
    }
    return out;
}

Run run_program(std::string_view script, uint32_t seed) {
    Bench bench(script, seed);
    Run run;
    run.exit_code = bench.run([&] { app::run_zimbalot(*bench.context); });
    run.trace = app_events(*bench.headless.backend);
    run.all = bench.headless.backend->trace_lines();
    return run;
}

uint32_t seed_for_first_vowel(char vowel) {
    const std::string_view vowels = "AEIOU";
    for (uint32_t seed = 1;; ++seed) {
        host::Random random(seed);
        if (vowels[(random.next(5) + 1) % 5] == vowel) return seed;
    }
}

Bench::Bench(std::string_view script, uint32_t seed, bool program_key)
    : saved_directory(std::filesystem::current_path().string()),
      headless(script, seed),
      family(headless.windows_dir, program_key),
      context(std::make_unique<app::Context>(headless.host(), "zimbalot")),
      program(std::make_unique<app::Zimbalot>(*context)) {}

Bench::~Bench() {
    std::error_code ec;
    std::filesystem::current_path(saved_directory, ec);
}

int Bench::run(const std::function<void()>& body) {
    try {
        body();
    } catch (const host::headless::ProcessExit& exit) {
        return exit.code;
    }
    return -1;
}

std::vector<std::string> Bench::events_since(size_t from) const {
    return app_events(*headless.backend, from);
}

void Expect::add(std::string_view word, std::string_view args) {
    lines_.push_back(with_time(now_, word, args));
}

Expect& Expect::picture(std::string_view name) {
    add("picture", name);
    return *this;
}

Expect& Expect::sound(std::string_view name, uint64_t ms) {
    add("sound", std::string(name) + ".wav");
    now_ += ms;
    return *this;
}

Expect& Expect::bigchar(char c) {
    add("bigchar", std::string(1, c));
    return *this;
}

Expect& Expect::wait(uint64_t ms) {
    now_ += ms;
    return *this;
}

Expect& Expect::at(uint64_t ms) {
    now_ = ms;
    return *this;
}

Expect& Expect::key_at(uint64_t due_ms) {
    last_key_ = std::max(now_, due_ms);
    const uint64_t steps = due_ms <= now_ ? 1 : (due_ms - now_ + 499) / 500;
    now_ += 500 * steps;
    return *this;
}

Expect& Expect::exit(int code) {
    add("exit", std::to_string(code));
    return *this;
}

Expect& Expect::script_end() {
    add("script-end", "");
    return *this;
}

Expect& Expect::introduction(uint64_t key_ms) {
    picture("capa").sound("mustlink").sound("intro1").picture("intro").sound("f2");
    wait(intro2_ms);
    if (key_ms > now_) now_ = key_ms;
    last_key_ = now_;
    return *this;
}

Expect& Expect::box_game_opened_at_once() {
    picture("caixa").sound("f2").sound("intro3").sound("aptec");
    sound("plin").key_in_idle_step();
    return sound("musabert").picture("caixaber").sound("abriu").sound("boaideia");
}

Expect& Expect::prompt_and_key() {
    return picture("sopaletr").sound("plin").key_in_idle_step();
}

Expect& Expect::letter_without_files(char c) {
    return prompt_and_key().bigchar(c);
}

Expect& Expect::vowel_game_found_at_once(char vowel) {
    picture("interrog").sound("aeiou");
    sound("tingting").sound(std::string("busca") + vowel);
    // The hunt reads its key with no idle step: it is delivered at once.
    last_key_ = now_;
    picture("aplauso").sound("aplauso").sound("parabens");
    return picture("caixaber").sound("aeiou2").sound("continua");
}

Expect& Expect::closing_after_grace(uint64_t final_key_ms) {
    picture("caixaber").sound("fechando").wait(2500);
    return ending(final_key_ms);
}

Expect& Expect::ending(uint64_t final_key_ms) {
    picture("caixa").sound("tchan").sound("aeioufim");
    if (final_key_ms > now_) now_ = final_key_ms;
    return exit(0);
}

}  // namespace apptest
