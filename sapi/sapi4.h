// The SAPI 4 text-to-speech interfaces (ANSI) as the client calls them, in
// slot order, and the client itself: audio destination, engine enumerator,
// mode selection, the central with its notification sinks, attributes.
//
// Client states:
//   stopped --sapi4_start succeeds--> running (central, sinks registered)
//   running --sapi4_close-->          stopped
// Speaking, stopping and busy queries act only while running.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sapi/com.h"
#include "sapi/environment.h"

namespace sapi {

constexpr Guid clsid_tts_enumerator = guid("{D67C0280-C743-11CD-80E5-00AA003E4B50}");
constexpr Guid iid_itts_enum_a = guid("{05EB6C6D-DBAB-11CD-B3CA-00AA0047BA4F}");
constexpr Guid clsid_mm_audio_dest = guid("{CB96B400-C743-11CD-80E5-00AA003E4B50}");
constexpr Guid iid_iaudio_multimedia_device = guid("{B68AD320-C743-11CD-80E5-00AA003E4B50}");
constexpr Guid clsid_audio_dest_file = guid("{D4623720-E4B9-11CF-8D56-00A0C9034A7E}");
constexpr Guid iid_iaudio_file = guid("{FD7C2320-3D6D-11B9-C000-FED6CBA3B1A9}");
constexpr Guid iid_itts_notify_sink_a = guid("{05EB6C6F-DBAB-11CD-B3CA-00AA0047BA4F}");
constexpr Guid iid_itts_buf_notify_sink = guid("{E4963D40-C743-11CD-80E5-00AA003E4B50}");
constexpr Guid iid_itts_attributes_a = guid("{0FD6E2A1-E77D-11CD-B3CA-00AA0047BA4F}");
constexpr Guid iid_itts_central_a = guid("{05EB6C6A-DBAB-11CD-B3CA-00AA0047BA4F}");

using QWord = uint64_t;

constexpr size_t tts_name_length = 262;  // TTSI_NAMELEN
constexpr size_t language_length = 64;   // LANG_LEN

struct LanguageA {
    uint16_t language_id = 0;
    char dialect[language_length] = {};
};

// TTSMODEINFOA.
struct TtsModeInfoA {
    Guid engine_id;
    char manufacturer[tts_name_length] = {};
    char product_name[tts_name_length] = {};
    Guid mode_id;
    char mode_name[tts_name_length] = {};
    LanguageA language;
    char speaker[tts_name_length] = {};
    char style[tts_name_length] = {};
    uint16_t gender = 0;
    uint16_t age = 0;
    uint32_t features = 0;
    uint32_t interfaces = 0;
    uint32_t engine_features = 0;
};
static_assert(sizeof(TtsModeInfoA) == 1424, "the record the engines fill");

// SDATA.
struct SData {
    void* data = nullptr;
    uint32_t size = 0;
};

constexpr uint32_t charset_text = 0;  // CHARSET_TEXT
constexpr uint32_t audio_file_flags_create = 1;

class TtsCentralA;

// IAudioMultiMediaDevice.
class AudioMultiMediaDevice : public Unknown {
public:
    virtual HResult CustomMessage(uint32_t message, SData data) = 0;
    virtual HResult DeviceNumGet(uint32_t* device) = 0;
    virtual HResult DeviceNumSet(uint32_t device) = 0;
};

// IAudioFile.
class AudioFile : public Unknown {
public:
    virtual HResult Register(Unknown* notify) = 0;
    virtual HResult Set(const char16_t* file_name, uint32_t flags) = 0;
    virtual HResult Add(const char16_t* file_name, uint32_t flags) = 0;
    virtual HResult Flush() = 0;
    virtual HResult RealTimeSet(uint16_t real_time) = 0;
    virtual HResult RealTimeGet(uint16_t* real_time) = 0;
};

// ITTSEnumA.
class TtsEnumA : public Unknown {
public:
    virtual HResult Next(uint32_t count, TtsModeInfoA* modes, uint32_t* fetched) = 0;
    virtual HResult Skip(uint32_t count) = 0;
    virtual HResult Reset() = 0;
    virtual HResult Clone(TtsEnumA** out) = 0;
    virtual HResult Select(Guid mode_id, TtsCentralA** central, Unknown* audio) = 0;
};

// ITTSCentralA.
class TtsCentralA : public Unknown {
public:
    virtual HResult Inject(const char* tag) = 0;
    virtual HResult ModeGet(TtsModeInfoA* mode) = 0;
    virtual HResult Phoneme(uint32_t charset, uint32_t flags, SData text, SData* phonemes) = 0;
    virtual HResult PosnGet(QWord* position) = 0;
    virtual HResult TextData(uint32_t charset, uint32_t flags, SData text, void* notify,
                             Guid notify_iid) = 0;
    virtual HResult ToFileTime(QWord* position, uint64_t* file_time) = 0;
    virtual HResult AudioPause() = 0;
    virtual HResult AudioResume() = 0;
    virtual HResult AudioReset() = 0;
    virtual HResult Register(void* notify, Guid notify_iid, uint32_t* key) = 0;
    virtual HResult UnRegister(uint32_t key) = 0;
};

// ITTSAttributesA.
class TtsAttributesA : public Unknown {
public:
    virtual HResult PitchGet(uint16_t* pitch) = 0;
    virtual HResult PitchSet(uint16_t pitch) = 0;
    virtual HResult RealTimeGet(uint32_t* real_time) = 0;
    virtual HResult RealTimeSet(uint32_t real_time) = 0;
    virtual HResult SpeedGet(uint32_t* speed) = 0;
    virtual HResult SpeedSet(uint32_t speed) = 0;
    virtual HResult VolumeGet(uint32_t* volume) = 0;
    virtual HResult VolumeSet(uint32_t volume) = 0;
};

struct TtsMouth;

// ITTSNotifySinkA.
class TtsNotifySinkA : public Unknown {
public:
    virtual HResult AttribChanged(uint32_t attribute) = 0;
    virtual HResult AudioStart(QWord time) = 0;
    virtual HResult AudioStop(QWord time) = 0;
    virtual HResult Visual(QWord time, char phoneme, char english_phoneme, uint32_t hints,
                           TtsMouth* mouth) = 0;
};

// ITTSBufNotifySink.
class TtsBufNotifySink : public Unknown {
public:
    virtual HResult TextDataDone(QWord time, uint32_t flags) = 0;
    virtual HResult TextDataStarted(QWord time) = 0;
    virtual HResult BookMark(QWord time, uint32_t mark) = 0;
    virtual HResult WordPosition(QWord time, uint32_t position) = 0;
};

// The counters the two sinks keep for the client.
struct Sapi4Counters {
    int pending_texts = 0;  // never below 0
    bool audio_playing = false;
};

// TTSNotifySink: audio start and stop.
class TTSNotifySink final : public TtsNotifySinkA {
public:
    explicit TTSNotifySink(std::shared_ptr<Sapi4Counters> counters)
        : counters_(std::move(counters)) {}
    HResult QueryInterface(const Guid& iid, void** out) override;
    uint32_t AddRef() override { return refs_.add(); }
    uint32_t Release() override;
    HResult AttribChanged(uint32_t) override { return s_ok; }
    HResult AudioStart(QWord) override;
    HResult AudioStop(QWord) override;
    HResult Visual(QWord, char, char, uint32_t, TtsMouth*) override { return s_ok; }

private:
    std::shared_ptr<Sapi4Counters> counters_;  // shared: a runtime may keep a sink longer
    RefCount refs_;
};

// TTSBufNotifySink: texts started and done.
class TTSBufNotifySink final : public TtsBufNotifySink {
public:
    explicit TTSBufNotifySink(std::shared_ptr<Sapi4Counters> counters)
        : counters_(std::move(counters)) {}
    HResult QueryInterface(const Guid& iid, void** out) override;
    uint32_t AddRef() override { return refs_.add(); }
    uint32_t Release() override;
    HResult TextDataDone(QWord, uint32_t) override;
    HResult TextDataStarted(QWord) override;
    HResult BookMark(QWord, uint32_t) override { return s_ok; }
    HResult WordPosition(QWord, uint32_t) override { return s_ok; }

private:
    std::shared_ptr<Sapi4Counters> counters_;  // shared: a runtime may keep a sink longer
    RefCount refs_;
};

constexpr size_t sapi4_text_buffer_bytes = 64000;

class Sapi4Client {
public:
    Sapi4Client(Factory& factory, Environment& environment);
    ~Sapi4Client();
    Sapi4Client(const Sapi4Client&) = delete;
    Sapi4Client& operator=(const Sapi4Client&) = delete;

    bool sapi4_start(int voice, int rate, int pitch, std::string_view output_file);
    void sapi4_close();
    void sapi4_speak(std::string_view text);
    bool sapi4_busy(int mode);
    void sapi4_stop();

    bool running() const { return central_ != nullptr; }
    const Sapi4Counters& counters() const { return *counters_; }

private:
    bool start_in_folder(int voice, int rate, int pitch);
    void release_all();

    Factory& factory_;
    Environment& environment_;
    std::string output_file_;
    bool file_mode_ = false;
    AudioMultiMediaDevice* multimedia_ = nullptr;
    AudioFile* audio_file_ = nullptr;
    TtsEnumA* enumerator_ = nullptr;
    TtsModeInfoA* mode_ = nullptr;  // the heap block describing the chosen mode
    TtsCentralA* central_ = nullptr;
    TTSNotifySink* notify_sink_ = nullptr;
    TTSBufNotifySink* buf_notify_sink_ = nullptr;
    uint32_t registration_key_ = 0;
    std::shared_ptr<Sapi4Counters> counters_ = std::make_shared<Sapi4Counters>();
    std::string buffer_;  // the 64000-byte text buffer
};

}  // namespace sapi
