#include <cstring>
#include <memory>

#include "sapi/sapi4.h"

namespace sapi {
namespace {

constexpr uint32_t stop_before_reset_ms = 50;
constexpr uint32_t stop_after_reset_ms = 150;
constexpr uint32_t queued_text_wait_ms = 20;

template <class T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

bool blank_or_control(char c) {
    return static_cast<uint8_t>(c) <= ' ';
}

}  // namespace

HResult TTSNotifySink::QueryInterface(const Guid& iid, void** out) {
    if (!out) return e_invalidarg;
    if (iid == iid_iunknown || iid == iid_itts_notify_sink_a) {
        AddRef();
        *out = static_cast<TtsNotifySinkA*>(this);
        return s_ok;
    }
    *out = nullptr;
    return e_nointerface;
}
uint32_t TTSNotifySink::Release() {
    if (!refs_.release()) return refs_.count();
    delete this;
    return 0;
}
HResult TTSNotifySink::AudioStart(QWord) {
    counters_->audio_playing = true;
    return s_ok;
}
HResult TTSNotifySink::AudioStop(QWord) {
    counters_->audio_playing = false;
    return s_ok;
}

HResult TTSBufNotifySink::QueryInterface(const Guid& iid, void** out) {
    if (!out) return e_invalidarg;
    if (iid == iid_iunknown || iid == iid_itts_buf_notify_sink) {
        AddRef();
        *out = static_cast<TtsBufNotifySink*>(this);
        return s_ok;
    }
    *out = nullptr;
    return e_nointerface;
}
uint32_t TTSBufNotifySink::Release() {
    if (!refs_.release()) return refs_.count();
    delete this;
    return 0;
}
HResult TTSBufNotifySink::TextDataDone(QWord, uint32_t) {
    if (counters_->pending_texts > 0) --counters_->pending_texts;
    return s_ok;
}
HResult TTSBufNotifySink::TextDataStarted(QWord) {
    ++counters_->pending_texts;
    return s_ok;
}

Sapi4Client::Sapi4Client(Factory& factory, Environment& environment)
    : factory_(factory), environment_(environment) {}

Sapi4Client::~Sapi4Client() {
    // The sinks count into this object: they must not outlive it registered.
    sapi4_close();
}

bool Sapi4Client::sapi4_start(int voice, int rate, int pitch, std::string_view output_file) {
    if (central_) sapi4_close();  // a second start replaces the running engine
    output_file_ = output_file;
    file_mode_ = !output_file_.empty();
    if (voice == 0) voice = 1;
    const std::string folder = environment_.current_directory();
    const bool started = start_in_folder(voice, rate, pitch);
    environment_.set_current_directory(folder);
    return started;
}

bool Sapi4Client::start_in_folder(int voice, int rate, int pitch) {
    if (file_mode_) {
        void* object = nullptr;
        if (failed(factory_.create_instance(clsid_audio_dest_file, nullptr, class_context_all,
                                            iid_iaudio_file, &object)))
            return false;
        audio_file_ = static_cast<AudioFile*>(object);
        const std::u16string name = widen(output_file_);
        if (audio_file_->Set(name.c_str(), audio_file_flags_create) != s_ok) {
            release(audio_file_);
            return false;
        }
    } else {
        void* object = nullptr;
        if (failed(factory_.create_instance(clsid_mm_audio_dest, nullptr, class_context_all,
                                            iid_iaudio_multimedia_device, &object)))
            return false;
        multimedia_ = static_cast<AudioMultiMediaDevice*>(object);
    }
    Unknown* audio = file_mode_ ? static_cast<Unknown*>(audio_file_) : multimedia_;

    void* object = nullptr;
    if (failed(factory_.create_instance(clsid_tts_enumerator, nullptr, class_context_all,
                                        iid_itts_enum_a, &object))) {
        release_all();
        return false;
    }
    enumerator_ = static_cast<TtsEnumA*>(object);
    enumerator_->AddRef();  // the extra reference, given back by close
    enumerator_->Reset();

    mode_ = new TtsModeInfoA{};
    // A negative voice number asks for no mode at all, and an enumerator
    // that answers none leaves nothing to select: both fail the start.
    bool chosen = false;
    bool ok = true;
    auto local = std::make_unique<TtsModeInfoA>();
    for (int i = 0; i < voice; ++i) {
        const HResult r = enumerator_->Next(1, local.get(), nullptr);
        if (failed(r)) {
            ok = false;
            break;
        }
        // S_FALSE: the list has ended; the last mode stays chosen, and asking
        // again cannot bring another, so a huge voice number costs nothing.
        if (r != s_ok) break;
        *mode_ = *local;
        chosen = true;
    }
    if (ok && chosen) {
        TtsCentralA* central = nullptr;
        ok = succeeded(enumerator_->Select(mode_->mode_id, &central, audio)) && central;
        if (!ok && central) central->Release();
        if (ok) central_ = central;
    }
    if (!ok || !chosen) {
        release_all();
        return false;
    }

    counters_ = std::make_shared<Sapi4Counters>();  // old sinks keep their own
    buf_notify_sink_ = new TTSBufNotifySink(counters_);
    notify_sink_ = new TTSNotifySink(counters_);
    central_->Register(static_cast<TtsNotifySinkA*>(notify_sink_), iid_itts_notify_sink_a,
                       &registration_key_);

    void* attributes_object = nullptr;
    if (succeeded(central_->QueryInterface(iid_itts_attributes_a, &attributes_object)) &&
        attributes_object) {
        auto* attributes = static_cast<TtsAttributesA*>(attributes_object);
        if (rate != 0) attributes->SpeedSet(static_cast<uint32_t>(rate));
        if (pitch != 0) attributes->PitchSet(static_cast<uint16_t>(pitch));
        attributes->Release();
    }
    return true;
}

// After a failed start: everything made so far goes, nothing is registered.
void Sapi4Client::release_all() {
    release(audio_file_);
    release(multimedia_);
    if (enumerator_) {
        enumerator_->Release();
        release(enumerator_);
    }
    delete mode_;
    mode_ = nullptr;
    release(central_);
}

void Sapi4Client::sapi4_speak(std::string_view text) {
    while (!text.empty() && blank_or_control(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank_or_control(text.back())) text.remove_suffix(1);
    if (text.empty()) return;
    std::string said(text);
    // A lone digit would be read as a number word with no end; the stop
    // makes engines say it as a whole utterance.
    if (said.size() == 1 && said[0] >= '0' && said[0] <= '9') said.push_back('.');
    if (!central_) return;
    if (environment_.stop_on_key() && environment_.key_pressed()) return;

    // The text and its terminating zero must fit the buffer: longer texts
    // are cut to what fits.
    if (said.size() + 1 > sapi4_text_buffer_bytes) said.resize(sapi4_text_buffer_bytes - 1);
    buffer_.assign(sapi4_text_buffer_bytes, '\0');
    std::memcpy(buffer_.data(), said.data(), said.size());

    if (counters_->pending_texts > 0) environment_.delay_ms(queued_text_wait_ms);
    SData data{buffer_.data(), static_cast<uint32_t>(said.size() + 1)};
    if (failed(central_->TextData(charset_text, 0, data,
                                  static_cast<TtsBufNotifySink*>(buf_notify_sink_),
                                  iid_itts_buf_notify_sink)))
        sapi4_stop();
}

bool Sapi4Client::sapi4_busy(int mode) {
    if (mode == 1) return counters_->pending_texts > 0;
    return counters_->pending_texts > 0 || counters_->audio_playing;
}

void Sapi4Client::sapi4_stop() {
    if (counters_->audio_playing && central_) {
        environment_.delay_ms(stop_before_reset_ms);
        central_->AudioReset();  // a failure is ignored: the counters go anyway
        environment_.delay_ms(stop_after_reset_ms);
    }
    counters_->audio_playing = false;
    counters_->pending_texts = 0;
}

void Sapi4Client::sapi4_close() {
    if (file_mode_ && audio_file_) {
        audio_file_->Flush();
        release(audio_file_);
    }
    release(audio_file_);
    release(multimedia_);
    if (enumerator_) {
        enumerator_->Release();  // the extra reference of the start
        release(enumerator_);
    }
    release(buf_notify_sink_);
    if (notify_sink_) {
        if (central_) central_->UnRegister(registration_key_);
        release(notify_sink_);
    }
    release(central_);
    delete mode_;
    mode_ = nullptr;
}

}  // namespace sapi
