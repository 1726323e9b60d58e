// A small family folder for the program, a headless run of it, and a builder
// for the trace a run is expected to give.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "app/zimbalot.h"
#include "support.h"

namespace apptest {

// Every fixed sound lasts this long, intro2 (played through the wave-out
// player) intro2_ms; the per-key sounds the same as the fixed ones.
constexpr uint64_t sound_ms = 100;
constexpr uint64_t intro2_ms = 1000;

// Writes an 8000 Hz, 8-bit mono WAV file of the given length.
void write_wav(const std::string& path, uint64_t duration_ms);
// Writes a tiny 256-colour PCX picture (version 5, palette at the end).
void write_pcx(const std::string& path);

// The family folder: <family>/zimbalot with every fixed asset and the letter
// files B.PCX, B1.WAV, b2.wav, A.PCX, A1.WAV, C3.WAV and 3.WAV; <family>/letras;
// <family>/difones with an empty bank TESTE and minimal rules and exceptions.
// KORALU.INI goes into the headless Windows folder.
struct Family {
    // Without `program_key` the configuration has no DIRZIMBALOT.
    explicit Family(const std::string& windows_dir, bool program_key = true);
    std::string root;
    std::string program_folder;
};

// The trace words a scenario compares: what the child sees and hears.
std::vector<std::string> app_events(const host::headless::HeadlessBackend& backend,
                                    size_t from = 0);

// One in-process run of the whole program over the family folder.
struct Run {
    std::vector<std::string> trace;  // app_events, with times
    std::vector<std::string> all;    // every trace line
    int exit_code = -1;
};
Run run_program(std::string_view script, uint32_t seed = 1);

// A seed whose first vowel game hunts for `vowel`.
uint32_t seed_for_first_vowel(char vowel);

// A headless host, the family folder, the modules and the program object,
// for driving single operations. Restores the current directory at the end.
struct Bench {
    explicit Bench(std::string_view script = "", uint32_t seed = 1, bool program_key = true);
    ~Bench();
    // Runs `body`; returns the exit code when it ended the process, else -1.
    int run(const std::function<void()>& body);
    std::vector<std::string> events_since(size_t mark) const;
    size_t mark() const { return headless.backend->trace_lines().size(); }

    std::string saved_directory;
    testsupport::Headless headless;
    Family family;
    std::unique_ptr<app::Context> context;
    std::unique_ptr<app::Zimbalot> program;
};

// The expected trace, one event at a time, with the virtual clock advanced by
// what each event costs in the fixture.
class Expect {
public:
    explicit Expect(uint64_t start_ms = 0) : now_(start_ms) {}
    Expect& picture(std::string_view name);
    Expect& sound(std::string_view name, uint64_t ms = sound_ms);
    Expect& bigchar(char c);
    Expect& wait(uint64_t ms);
    Expect& at(uint64_t ms);
    // A key step due at `due_ms` while the key reader sleeps in 500 ms steps
    // from now: it is seen at the end of the step it falls in.
    Expect& key_at(uint64_t due_ms);
    // A key step already due: seen after one step.
    Expect& key_in_idle_step() { return key_at(now_); }
    Expect& exit(int code);
    Expect& script_end();
    uint64_t now() const { return now_; }
    uint64_t last_key_ms() const { return last_key_; }
    const std::vector<std::string>& lines() const { return lines_; }

    // Larger pieces of the program, as the fixture plays them.
    // The title, introduction and intro2 to its end; the first key at key_ms.
    Expect& introduction(uint64_t key_ms);
    // The box game opened by the first key it reads.
    Expect& box_game_opened_at_once();
    // The key loop's prompt and the key read in its first idle step.
    Expect& prompt_and_key();
    Expect& letter_without_files(char c);
    Expect& vowel_game_found_at_once(char vowel);
    // ESC seen, then 2.5 s without a key, the ending and the final key.
    Expect& closing_after_grace(uint64_t final_key_ms);
    // The ending after the closing was confirmed, up to the final key.
    Expect& ending(uint64_t final_key_ms);

private:
    void add(std::string_view word, std::string_view args);
    uint64_t now_;
    uint64_t last_key_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace apptest
