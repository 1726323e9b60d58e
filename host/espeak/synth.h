// espeak-ng behind one worker thread. espeak-ng is one engine per process,
// so this is a single object; jobs run one at a time. The worker only fills
// the sample buffer below: everything the program sees happens on the thread
// that calls take().
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace host::espeak {

struct VoiceInfo {
    std::string identifier;  // espeak-ng's voice file, e.g. "roa/pt-BR"
    std::string name;
    std::string language;  // the first language it speaks, e.g. "pt-br"
    int gender = 0;        // 0 none, 1 male, 2 female
};

struct SynthJob {
    std::string text_utf8;
    std::string voice_identifier;
    int words_per_minute = 175;
    int pitch = 50;  // 0..100
    bool ssml = false;
};

// The engine's text from the program's Windows-1252 text, as UTF-8. Letters
// outside Portuguese become their plain Latin spelling: espeak-ng 1.51 reads
// freed memory on some of them (an "ß" followed by "ˆ", "ð", "þ" or "ƒ"), and
// the Brazilian voice would only spell them anyway.
std::string engine_text(std::string_view cp1252);

class Synth {
public:
    // The process's engine, started on first use; nullptr when espeak-ng
    // cannot start (no data) or knows no voice.
    static Synth* instance();

    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    // Brazilian Portuguese first, then Portuguese, then the others in
    // espeak-ng's order; voices that need an outside synthesizer are left out.
    const std::vector<VoiceInfo>& voices() const { return voices_; }
    uint32_t rate_hz() const { return rate_hz_; }

    // Starts a job, cancelling one still running.
    void start(SynthJob job);
    // Moves up to `count` samples of the job into `out`; waits until that many
    // are ready or the job has ended. 0: the job is over.
    size_t take(int16_t* out, size_t count);
    // Ends the job now; returns once the worker has let it go.
    void cancel();

    // Called on the worker thread by espeak-ng.
    int on_samples(const int16_t* samples, int count);

private:
    Synth() = default;
    bool initialise();
    void run();

    std::vector<VoiceInfo> voices_;
    uint32_t rate_hz_ = 22050;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    bool job_waiting_ = false;
    bool job_running_ = false;  // from start until the worker is done with it
    bool cancelled_ = false;
    SynthJob job_;
    std::deque<int16_t> buffer_;
    std::thread worker_;
};

}  // namespace host::espeak
