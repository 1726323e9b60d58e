#include "host/espeak/synth.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string_view>

#include "host/text.h"

namespace host::espeak {
namespace {

// The worker may run this far ahead of playback before it waits.
constexpr size_t buffer_limit_samples = 2 * 22050;
constexpr int callback_ms = 20;

Synth* the_engine = nullptr;

int synth_callback(short* samples, int count, espeak_EVENT*) {
    if (!the_engine || !samples) return 0;
    return the_engine->on_samples(samples, count);
}

}  // namespace

Synth* Synth::instance() {
    static std::unique_ptr<Synth> engine = [] {
        std::unique_ptr<Synth> s(new Synth);
        if (!s->initialise()) s.reset();
        return s;
    }();
    return engine.get();
}

bool Synth::initialise() {
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, callback_ms, nullptr, 0);
    if (rate <= 0) return false;
    rate_hz_ = static_cast<uint32_t>(rate);
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    std::vector<VoiceInfo> brazilian, portuguese, others;
    for (size_t i = 0; list && list[i]; ++i) {
        const espeak_VOICE* v = list[i];
        if (!v->identifier || !v->name) continue;
        const std::string identifier = v->identifier;
        if (identifier.rfind("mb/", 0) == 0) continue;  // needs the MBROLA program
        VoiceInfo info;
        info.identifier = identifier;
        info.name = v->name;
        // languages: a priority byte, then a zero-terminated name, repeated.
        if (v->languages && v->languages[0]) info.language = v->languages + 1;
        info.gender = v->gender;
        if (info.language == "pt-br")
            brazilian.push_back(info);
        else if (info.language == "pt" || info.language == "pt-pt")
            portuguese.push_back(info);
        else
            others.push_back(info);
    }
    voices_ = brazilian;
    voices_.insert(voices_.end(), portuguese.begin(), portuguese.end());
    voices_.insert(voices_.end(), others.begin(), others.end());
    if (voices_.empty()) {
        espeak_Terminate();
        return false;
    }
    the_engine = this;
    espeak_SetSynthCallback(synth_callback);
    worker_ = std::thread([this] { run(); });
    return true;
}

Synth::~Synth() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        cancelled_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    the_engine = nullptr;
    // espeak-ng stays initialised: others in the process (the benchmarks'
    // peers) may start and end it themselves, and a second end frees twice.
}

void Synth::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || job_waiting_; });
        if (quit_) return;
        SynthJob job = std::move(job_);
        job_waiting_ = false;
        lock.unlock();

        if (espeak_SetVoiceByName(job.voice_identifier.c_str()) != EE_OK)
            espeak_SetVoiceByName("pt-br");
        espeak_SetParameter(espeakRATE, std::clamp(job.words_per_minute, 80, 450), 0);
        espeak_SetParameter(espeakPITCH, std::clamp(job.pitch, 0, 100), 0);
        const unsigned flags = espeakCHARS_UTF8 | (job.ssml ? espeakSSML : 0u);
        espeak_Synth(job.text_utf8.c_str(), job.text_utf8.size() + 1, 0, POS_CHARACTER, 0, flags,
                     nullptr, nullptr);

        lock.lock();
        job_running_ = false;
        changed_.notify_all();
    }
}

int Synth::on_samples(const int16_t* samples, int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return cancelled_ || buffer_.size() < buffer_limit_samples; });
    if (cancelled_) return 1;  // espeak-ng stops the text
    buffer_.insert(buffer_.end(), samples, samples + std::max(count, 0));
    changed_.notify_all();
    return 0;
}

void Synth::start(SynthJob job) {
    cancel();
    std::lock_guard lock(mutex_);
    buffer_.clear();
    cancelled_ = false;
    job_ = std::move(job);
    job_waiting_ = true;
    job_running_ = true;
    changed_.notify_all();
}

size_t Synth::take(int16_t* out, size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return buffer_.size() >= count || !job_running_; });
    const size_t n = std::min(count, buffer_.size());
    std::copy_n(buffer_.begin(), n, out);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    changed_.notify_all();
    return n;
}

void Synth::cancel() {
    std::unique_lock lock(mutex_);
    if (job_waiting_) {
        // The worker never took it: it ends here.
        job_waiting_ = false;
        job_running_ = false;
    } else if (job_running_) {
        cancelled_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !job_running_; });
    }
    buffer_.clear();
}

namespace {

// Windows-1252 letters outside Portuguese and their plain Latin spelling.
struct PlainLetter {
    unsigned char byte;
    const char* spelled;
};
// clang-format off
constexpr PlainLetter plain_letters[] = {
    {0x83, "f"},  {0x88, "^"},  {0x8A, "S"},  {0x8C, "OE"}, {0x8E, "Z"},  {0x98, "~"},
    {0x9A, "s"},  {0x9C, "oe"}, {0x9E, "z"},  {0x9F, "Y"},  {0xB5, "u"},  {0xC4, "A"},
    {0xC5, "A"},  {0xC6, "AE"}, {0xC8, "E"},  {0xCB, "E"},  {0xCC, "I"},  {0xCE, "I"},
    {0xCF, "I"},  {0xD0, "D"},  {0xD1, "N"},  {0xD2, "O"},  {0xD6, "O"},  {0xD8, "O"},
    {0xD9, "U"},  {0xDB, "U"},  {0xDD, "Y"},  {0xDE, "TH"}, {0xDF, "ss"}, {0xE4, "a"},
    {0xE5, "a"},  {0xE6, "ae"}, {0xE8, "e"},  {0xEB, "e"},  {0xEC, "i"},  {0xEE, "i"},
    {0xEF, "i"},  {0xF0, "d"},  {0xF1, "n"},  {0xF2, "o"},  {0xF6, "o"},  {0xF8, "o"},
    {0xF9, "u"},  {0xFB, "u"},  {0xFD, "y"},  {0xFE, "th"}, {0xFF, "y"},
};
// clang-format on

}  // namespace

std::string engine_text(std::string_view cp1252) {
    std::string plain;
    plain.reserve(cp1252.size());
    for (const char c : cp1252) {
        const auto* letter = std::find_if(
            std::begin(plain_letters), std::end(plain_letters),
            [c](const PlainLetter& l) { return l.byte == static_cast<unsigned char>(c); });
        if (letter != std::end(plain_letters))
            plain += letter->spelled;
        else
            plain += c;
    }
    return cp1252_to_utf8(plain);
}

}  // namespace host::espeak
