#include "tools/gen/voice.h"

#include <espeak-ng/speak_lib.h>

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

}  // namespace gen
