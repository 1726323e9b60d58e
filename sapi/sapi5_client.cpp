#include "sapi/sapi5.h"

namespace sapi {
namespace {

constexpr uint32_t busy_wait_ms = 20;
constexpr uint32_t stop_settle_ms = 50;
constexpr uint32_t close_poll_ms = 300;
constexpr uint32_t beep_default = 0;

template <class T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

Sapi5Client::Sapi5Client(Factory& factory, Environment& environment, const Sapi5Classes& classes,
                         bool& markup)
    : factory_(factory), environment_(environment), classes_(classes), markup_(markup) {}

Sapi5Client::~Sapi5Client() {
    release_all();
}

void Sapi5Client::release_all() {
    if (file_stream_) file_stream_->Close();
    release(file_stream_);
    release(voice_);
    complete_event_ = 0;
}

bool Sapi5Client::sapi5_start(int voice, int rate, int, std::string_view output_file) {
    if (voice_) sapi5_close();  // a second start replaces the voice
    void* object = nullptr;
    if (failed(factory_.create_instance(classes_.voice, nullptr, class_context_all,
                                        iid_ispeech_voice, &object)) ||
        !object)
        return false;
    voice_ = static_cast<SpeechVoice*>(object);
    voice_->put_EventInterests(svei_all_events);

    SpeechObjectTokens* tokens = nullptr;
    int32_t count = 0;
    if (failed(voice_->GetVoices(u"", u"", &tokens)) || !tokens ||
        failed(tokens->get_Count(&count)) || count <= 0) {
        // Nothing to speak with: the voice object is let go here, since no
        // close follows a failed start.
        release(tokens);
        release_all();
        return false;
    }
    if (voice < 1 || voice > count) {
        voice = 1;
        rate = 0;
    }
    SpeechObjectToken* token = nullptr;
    if (succeeded(tokens->Item(voice - 1, &token)) && token) {
        voice_->putref_Voice(token);
        token->Release();
    }
    voice_->put_Rate(rate);  // a rate the voice refuses leaves its own
    voice_->SpeakCompleteEvent(&complete_event_);

    if (!output_file.empty()) {
        // Speech asked for in a file must not reach the speakers instead: a
        // file that cannot be made fails the start.
        void* stream = nullptr;
        bool ok =
            succeeded(factory_.create_instance(classes_.file_stream, nullptr, class_context_all,
                                               iid_ispeech_file_stream, &stream)) &&
            stream;
        if (ok) {
            file_stream_ = static_cast<SpeechFileStream*>(stream);
            const std::u16string name = widen(output_file);
            ok = succeeded(file_stream_->Open(name.c_str(), ssfm_create_for_write, variant_true));
            if (!ok) release(file_stream_);
        }
        ok = ok && succeeded(voice_->putref_AudioOutputStream(file_stream_));
        if (!ok) {
            release(tokens);
            release_all();
            return false;
        }
    }
    release(tokens);
    markup_ = false;
    return true;
}

void Sapi5Client::sapi5_speak(std::string_view text) {
    if (!voice_) return;
    const std::u16string wide = text.empty() ? std::u16string(u" ") : widen(text);
    const int32_t flags = svsf_async | (markup_ ? svsf_is_xml : svsf_is_not_xml);
    int32_t stream_number = 0;
    if (failed(voice_->Speak(wide.c_str(), flags, &stream_number)))
        environment_.message_beep(beep_default);
}

bool Sapi5Client::sapi5_busy() {
    if (!voice_) return false;
    const bool busy =
        factory_.wait_for_single_object(complete_event_, busy_wait_ms) == wait_timeout;
    if (busy) environment_.post_wake_message();
    return busy;
}

void Sapi5Client::sapi5_stop() {
    if (!voice_) return;
    int32_t stream_number = 0;
    voice_->Speak(u" ", svsf_purge_before_speak, &stream_number);  // a failure changes nothing
    environment_.delay_ms(stop_settle_ms);
}

void Sapi5Client::sapi5_close() {
    if (!voice_) return;
    while (sapi5_busy()) environment_.delay_ms(close_poll_ms);
    release_all();
}

}  // namespace sapi
