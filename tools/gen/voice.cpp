#include "tools/gen/voice.h"

#include <espeak-ng/speak_lib.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace gen {
namespace {

Utterance* g_current = nullptr;  // espeak-ng reports through a plain callback

int collect(short* wav, int count, espeak_EVENT* events) {
    if (!g_current) return 0;
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type != espeakEVENT_PHONEME) continue;
        char name[9] = {};
        std::memcpy(name, e->id.string, 8);
        g_current->phonemes.push_back({name, static_cast<size_t>(e->sample)});
    }
    if (wav) {
        for (int i = 0; i < count; ++i) g_current->audio.data.push_back(wav[i] / 32768.0f);
    }
    return 0;
}

}  // namespace

Voice::~Voice() {
    if (rate_hz_ > 0) espeak_Terminate();
}

bool Voice::start() {
    if (rate_hz_ > 0) return true;
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                          espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return false;
    espeak_SetSynthCallback(collect);
    if (espeak_SetVoiceByName("pt-br") != EE_OK) return false;
    rate_hz_ = rate;
    return true;
}

Utterance Voice::say(const std::string& utf8, const VoiceStyle& style) {
    Utterance u;
    u.audio.rate_hz = rate_hz_;
    if (rate_hz_ <= 0) return u;
    espeak_SetParameter(espeakRATE, style.rate_wpm, 0);
    espeak_SetParameter(espeakPITCH, style.pitch, 0);
    espeak_SetParameter(espeakRANGE, style.range, 0);
    g_current = &u;
    espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8 | espeakPHONEMES, nullptr, nullptr);
    espeak_Synchronize();
    g_current = nullptr;
    return u;
}

namespace {

bool write_all(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool read_all(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

Utterance Voice::say_alone(const std::string& utf8, const VoiceStyle& style) {
    int fds[2];
    if (pipe(fds) != 0) return say(utf8, style);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return say(utf8, style);
    }
    if (child == 0) {
        // The copy says it and sends samples and marks back, then ends.
        close(fds[0]);
        const Utterance u = say(utf8, style);
        const uint64_t samples = u.audio.data.size(), marks = u.phonemes.size();
        bool ok = write_all(fds[1], &samples, sizeof samples) &&
                  write_all(fds[1], u.audio.data.data(), samples * sizeof(float)) &&
                  write_all(fds[1], &marks, sizeof marks);
        for (const PhonemeMark& m : u.phonemes) {
            char name[8] = {};
            std::memcpy(name, m.name.data(), std::min<size_t>(m.name.size(), sizeof name));
            const uint64_t at = m.sample;
            ok = ok && write_all(fds[1], name, sizeof name) && write_all(fds[1], &at, sizeof at);
        }
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    Utterance u;
    u.audio.rate_hz = rate_hz_;
    uint64_t samples = 0, marks = 0;
    bool ok = read_all(fds[0], &samples, sizeof samples) && samples < (1u << 26);
    if (ok) {
        u.audio.data.resize(samples);
        ok = read_all(fds[0], u.audio.data.data(), samples * sizeof(float)) &&
             read_all(fds[0], &marks, sizeof marks) && marks < (1u << 16);
    }
    for (uint64_t i = 0; ok && i < marks; ++i) {
        char name[9] = {};
        uint64_t at = 0;
        ok = read_all(fds[0], name, 8) && read_all(fds[0], &at, sizeof at);
        if (ok) u.phonemes.push_back({name, static_cast<size_t>(at)});
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return Utterance{};
    return u;
}

}  // namespace gen
