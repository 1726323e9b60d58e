// The SAPI 5 automation interfaces as the client calls them, and the client:
// one instance per registration of the speech object library (types 5 and
// 54), each with its own voice, file stream and completion event.
//
// The automation interfaces are dual; what is mirrored here is their slot
// order after IDispatch. Slots the client never calls answer e_notimpl
// unless an implementation overrides them.
//
// Client states:
//   no voice --sapi5_start succeeds--> voice ready (optionally writing a file)
//   voice ready --sapi5_close (waits for the end of speech)--> no voice
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "sapi/com.h"
#include "sapi/environment.h"

namespace sapi {

constexpr HResult e_notimpl = static_cast<HResult>(0x80004001u);

constexpr Guid iid_ispeech_voice = guid("{269316D8-57BD-11D2-9EEE-00C04F797396}");
constexpr Guid iid_ispeech_voice_events = guid("{A372ACD1-3BEF-4BBD-8FFB-CB3E2B416AF8}");
constexpr Guid iid_ispeech_file_stream = guid("{AF67F125-AB39-4E93-B4A2-CC2E66E182A7}");

// The classes of one registration of the speech object library.
struct Sapi5Classes {
    int type = 5;
    Guid voice;
    Guid file_stream;
};
constexpr Sapi5Classes sapi5_library{5, guid("{96749377-3391-11D2-9EE3-00C04F797396}"),
                                     guid("{947812B3-2AE1-4644-BA86-9E90DED7EC91}")};
constexpr Sapi5Classes sapi54_library{54, guid("{D941651C-44E6-4C17-BADF-C36826FC3424}"),
                                      guid("{3346EF73-0E05-4907-81AC-1F3547DA6FFE}")};

using VariantBool = int16_t;
constexpr VariantBool variant_true = -1;
constexpr VariantBool variant_false = 0;

// SpeechVoiceSpeakFlags.
constexpr int32_t svsf_async = 1;
constexpr int32_t svsf_purge_before_speak = 2;
constexpr int32_t svsf_is_xml = 8;
constexpr int32_t svsf_is_not_xml = 16;
// SpeechVoiceEvents: every event.
constexpr int32_t svei_all_events = 33790;
// SpeechStreamFileMode: create for writing.
constexpr int32_t ssfm_create_for_write = 3;

// ISpeechObjectToken (the slots a voice list needs).
class SpeechObjectToken : public Unknown {
public:
    virtual HResult get_Id(std::u16string* id) = 0;
    virtual HResult GetDescription(int32_t locale, std::u16string* description) = 0;
};

// ISpeechObjectTokens.
class SpeechObjectTokens : public Unknown {
public:
    virtual HResult get_Count(int32_t* count) = 0;
    virtual HResult Item(int32_t index, SpeechObjectToken** token) = 0;
    virtual HResult get__NewEnum(Unknown**) { return e_notimpl; }
};

// ISpeechBaseStream and ISpeechFileStream.
class SpeechBaseStream : public Unknown {
public:
    virtual HResult get_Format(Unknown**) { return e_notimpl; }
    virtual HResult putref_Format(Unknown*) { return e_notimpl; }
    virtual HResult Read(void*, int32_t, int32_t*) { return e_notimpl; }
    virtual HResult Write(const void*, int32_t, int32_t*) { return e_notimpl; }
    virtual HResult Seek(int64_t, int32_t, int64_t*) { return e_notimpl; }
};
class SpeechFileStream : public SpeechBaseStream {
public:
    virtual HResult Open(const char16_t* file_name, int32_t file_mode, VariantBool do_events) = 0;
    virtual HResult Close() = 0;
};

// ISpeechVoice.
class SpeechVoice : public Unknown {
public:
    virtual HResult get_Status(Unknown**) { return e_notimpl; }
    virtual HResult get_Voice(SpeechObjectToken**) { return e_notimpl; }
    virtual HResult putref_Voice(SpeechObjectToken* voice) = 0;
    virtual HResult get_AudioOutput(SpeechObjectToken**) { return e_notimpl; }
    virtual HResult putref_AudioOutput(SpeechObjectToken*) { return e_notimpl; }
    virtual HResult get_AudioOutputStream(SpeechBaseStream**) { return e_notimpl; }
    virtual HResult putref_AudioOutputStream(SpeechBaseStream* stream) = 0;
    virtual HResult get_Rate(int32_t*) { return e_notimpl; }
    virtual HResult put_Rate(int32_t rate) = 0;
    virtual HResult get_Volume(int32_t*) { return e_notimpl; }
    virtual HResult put_Volume(int32_t) { return e_notimpl; }
    virtual HResult put_AllowAudioOutputFormatChangesOnNextSet(VariantBool) { return e_notimpl; }
    virtual HResult get_AllowAudioOutputFormatChangesOnNextSet(VariantBool*) { return e_notimpl; }
    virtual HResult get_EventInterests(int32_t*) { return e_notimpl; }
    virtual HResult put_EventInterests(int32_t events) = 0;
    virtual HResult put_Priority(int32_t) { return e_notimpl; }
    virtual HResult get_Priority(int32_t*) { return e_notimpl; }
    virtual HResult put_AlertBoundary(int32_t) { return e_notimpl; }
    virtual HResult get_AlertBoundary(int32_t*) { return e_notimpl; }
    virtual HResult put_SynchronousSpeakTimeout(int32_t) { return e_notimpl; }
    virtual HResult get_SynchronousSpeakTimeout(int32_t*) { return e_notimpl; }
    virtual HResult Speak(const char16_t* text, int32_t flags, int32_t* stream_number) = 0;
    virtual HResult SpeakStream(SpeechBaseStream*, int32_t, int32_t*) { return e_notimpl; }
    virtual HResult Pause() { return e_notimpl; }
    virtual HResult Resume() { return e_notimpl; }
    virtual HResult Skip(const char16_t*, int32_t, int32_t*) { return e_notimpl; }
    virtual HResult GetVoices(const char16_t* required, const char16_t* optional,
                              SpeechObjectTokens** tokens) = 0;
    virtual HResult GetAudioOutputs(const char16_t*, const char16_t*, SpeechObjectTokens**) {
        return e_notimpl;
    }
    virtual HResult WaitUntilDone(int32_t, VariantBool*) { return e_notimpl; }
    virtual HResult SpeakCompleteEvent(intptr_t* handle) = 0;
};

class Sapi5Client {
public:
    // `markup`: the switch both types share; texts go as SAPI XML when set.
    Sapi5Client(Factory& factory, Environment& environment, const Sapi5Classes& classes,
                bool& markup);
    ~Sapi5Client();
    Sapi5Client(const Sapi5Client&) = delete;
    Sapi5Client& operator=(const Sapi5Client&) = delete;

    bool sapi5_start(int voice, int rate, int pitch, std::string_view output_file);
    void sapi5_close();
    void sapi5_speak(std::string_view text);
    bool sapi5_busy();
    void sapi5_stop();

    bool running() const { return voice_ != nullptr; }
    int type() const { return classes_.type; }

private:
    void release_all();

    Factory& factory_;
    Environment& environment_;
    Sapi5Classes classes_;
    bool& markup_;
    SpeechVoice* voice_ = nullptr;
    SpeechFileStream* file_stream_ = nullptr;
    intptr_t complete_event_ = 0;
};

}  // namespace sapi
