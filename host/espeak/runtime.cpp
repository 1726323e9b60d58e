#include "host/espeak/runtime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "host/common/wav_writer.h"
#include "host/espeak/synth.h"
#include "host/text.h"
#include "sapi/sapi4.h"
#include "sapi/sapi5.h"

namespace host::espeak {
namespace {

using sapi::Guid;
using sapi::HResult;

// 2048 samples at 22050 Hz: about 93 ms, the most a key waits for silence
// once the program has asked for it.
constexpr size_t block_samples = 2048;
constexpr int blocks_ahead = 3;
// Block numbers of the runtime: the top byte marks them, the next 16 bits
// the generation, so blocks reported after a stop are recognised as old.
constexpr uint32_t block_tag = 0x45000000u;
constexpr uint32_t note_message = 0x45535054u;
constexpr int default_words_per_minute = 175;
constexpr int default_pitch = 50;

enum class Note { started, audio_start, audio_stop, done };

class Listener {
public:
    virtual void on_note(uint64_t tag, Note note) = 0;

protected:
    ~Listener() = default;
};

class SampleSink {
public:
    virtual void write_samples(const int16_t* samples, size_t count) = 0;

protected:
    ~SampleSink() = default;
};

struct Utterance {
    Listener* owner = nullptr;
    uint64_t tag = 0;
    SynthJob job;
    SampleSink* sink = nullptr;  // a file instead of the device
};

bool blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return uint8_t(c) <= ' '; });
}

// SAPI 5 rates: 0 is the voice's normal speed, +10 three times as fast, -10
// three times as slow, evenly spread on a logarithmic scale.
int words_per_minute_for_rate(int rate) {
    const double wpm = default_words_per_minute * std::pow(3.0, rate / 10.0);
    return std::clamp(static_cast<int>(std::lround(wpm)), 80, 450);
}

std::u16string wide_utf8(const std::string& utf8) {
    return sapi::widen(utf8_to_cp1252(utf8));
}

}  // namespace

struct Runtime::Impl : MessageQueue {
    explicit Impl(Host& inner_host)
        : inner(inner_host), wrapped{*this,          inner.clock,        inner.window,
                                     inner.wave_out, inner.sound_player, inner.files,
                                     inner.registry, inner.libraries,    inner.trace,
                                     inner.process} {}

    Host& inner;
    Host wrapped;
    Synth* synth = nullptr;

    std::deque<Utterance> queue;
    std::optional<Utterance> current;
    bool synth_done = false;
    bool audio_started = false;
    int in_flight = 0;
    uint32_t generation = 0;
    uint32_t block_counter = 0;
    bool device_open = false;
    bool feeding = false;
    uint64_t next_tag = 1;
    std::deque<std::tuple<Listener*, uint64_t, Note>> notes;
    std::vector<int16_t> scratch = std::vector<int16_t>(block_samples);

    // ---- MessageQueue: the program's queue, less the runtime's own messages
    bool peek_message(Message& out) override {
        for (;;) {
            if (!inner.messages.peek_message(out)) {
                feed();
                return false;
            }
            if (!take_own(out)) return true;
        }
    }
    void wait_message() override {
        feed();
        inner.messages.wait_message();
    }
    void post_message(const Message& message) override { inner.messages.post_message(message); }
    Modifiers key_state() const override { return inner.messages.key_state(); }

    bool take_own(const Message& m) {
        if (m.kind == MessageKind::wave_done && (m.block_id & 0xFF000000u) == block_tag) {
            block_done(m.block_id);
            return true;
        }
        if (m.kind == MessageKind::user && m.user_id == note_message) {
            deliver_note();
            return true;
        }
        return false;
    }

    // ---- notifications, delivered one per posted message
    void post_note(Listener* owner, uint64_t tag, Note note) {
        notes.emplace_back(owner, tag, note);
        Message m;
        m.kind = MessageKind::user;
        m.user_id = note_message;
        inner.messages.post_message(m);
    }
    void deliver_note() {
        if (notes.empty()) return;
        const auto [owner, tag, note] = notes.front();
        notes.pop_front();
        owner->on_note(tag, note);
    }
    void drop_notes(Listener* owner) {
        std::erase_if(notes, [owner](const auto& n) { return std::get<0>(n) == owner; });
    }

    // ---- utterances
    uint64_t speak(Utterance u) {
        if (u.tag == 0) u.tag = next_tag++;
        const uint64_t tag = u.tag;
        queue.push_back(std::move(u));
        begin_next();
        feed();
        return tag;
    }

    void begin_next() {
        while (!current && !queue.empty()) {
            current = std::move(queue.front());
            queue.pop_front();
            post_note(current->owner, current->tag, Note::started);
            inner.trace.event("tts-speak", current->job.voice_identifier + " " +
                                               std::to_string(current->job.words_per_minute) + " " +
                                               utf8_to_cp1252(current->job.text_utf8));
            synth->start(current->job);
            synth_done = false;
            audio_started = false;
            if (current->sink) run_to_sink();
        }
    }

    // Speech into a file is made at once; nothing waits for a device.
    void run_to_sink() {
        post_note(current->owner, current->tag, Note::audio_start);
        for (;;) {
            const size_t n = synth->take(scratch.data(), scratch.size());
            if (n == 0) break;
            current->sink->write_samples(scratch.data(), n);
        }
        post_note(current->owner, current->tag, Note::audio_stop);
        post_note(current->owner, current->tag, Note::done);
        current.reset();
    }

    void feed() {
        if (feeding) return;
        feeding = true;
        while (current) {
            if (!synth_done && in_flight < blocks_ahead) {
                if (!device_open) {
                    // Someone else (the wave player) holds the device: wait.
                    if (inner.wave_out.is_open()) break;
                    if (inner.wave_out.open(PcmFormat{synth->rate_hz(), 16, 1}) !=
                        mmsyserr_noerror) {
                        // No device: the text cannot be heard; it ends here.
                        synth->cancel();
                        synth_done = true;
                        continue;
                    }
                    device_open = true;
                }
                const size_t n = synth->take(scratch.data(), scratch.size());
                if (n == 0) {
                    synth_done = true;
                    continue;
                }
                const uint32_t id =
                    block_tag | (generation & 0xFFFFu) << 8 | (block_counter++ & 0xFFu);
                if (inner.wave_out.write(id, reinterpret_cast<const uint8_t*>(scratch.data()),
                                         n * sizeof(int16_t)) == mmsyserr_noerror)
                    ++in_flight;
                if (!audio_started) {
                    audio_started = true;
                    post_note(current->owner, current->tag, Note::audio_start);
                }
                continue;
            }
            if (synth_done && in_flight == 0) {
                finish_current();
                continue;
            }
            break;
        }
        feeding = false;
    }

    void block_done(uint32_t id) {
        if (((id >> 8) & 0xFFFFu) != (generation & 0xFFFFu)) return;  // before a stop
        if (in_flight > 0) --in_flight;
        feed();
    }

    void finish_current() {
        if (audio_started) post_note(current->owner, current->tag, Note::audio_stop);
        post_note(current->owner, current->tag, Note::done);
        current.reset();
        if (queue.empty()) close_device();
        begin_next();
    }

    void close_device() {
        if (device_open) inner.wave_out.close();
        device_open = false;
        in_flight = 0;
    }

    // Drops everything of one owner at once, the sound included; its
    // notifications not yet delivered go too.
    void purge(Listener* owner) {
        drop_notes(owner);
        const size_t before = queue.size();
        std::erase_if(queue, [owner](const Utterance& u) { return u.owner == owner; });
        bool dropped = queue.size() != before;
        if (current && current->owner == owner) {
            dropped = true;
            synth->cancel();
            if (device_open && in_flight > 0) inner.wave_out.reset();
            ++generation;
            close_device();
            current.reset();
            drop_notes(owner);
        }
        if (dropped) inner.trace.event("tts-purge", "");
        begin_next();
        feed();
    }
    bool has_speech(const Listener* owner) const {
        if (current && current->owner == owner) return true;
        return std::any_of(queue.begin(), queue.end(),
                           [owner](const Utterance& u) { return u.owner == owner; });
    }
};

namespace {

using Impl = Runtime::Impl;

template <class Base>
class Counted : public Base {
public:
    uint32_t AddRef() override { return refs_.add(); }
    uint32_t Release() override {
        if (!refs_.release()) return refs_.count();
        delete this;
        return 0;
    }

protected:
    virtual ~Counted() = default;

private:
    sapi::RefCount refs_;
};

template <class Interface>
HResult answer(Interface* self, const Guid& iid, const Guid& own, void** out) {
    if (!out) return sapi::e_invalidarg;
    if (iid == sapi::iid_iunknown || iid == own) {
        self->AddRef();
        *out = self;
        return sapi::s_ok;
    }
    *out = nullptr;
    return sapi::e_nointerface;
}

// A WAV file the speech goes into.
class WavSink : public SampleSink {
public:
    bool open(Files& files, std::u16string_view name, uint32_t rate_hz) {
        finish();
        const std::string path = files.native_path(sapi::narrow(name));
        if (!writer_.open(path)) return false;
        writer_.set_format(PcmFormat{rate_hz, 16, 1});
        return true;
    }
    bool finish() { return writer_.is_open() ? writer_.finish() : true; }
    bool is_open() const { return writer_.is_open(); }
    void write_samples(const int16_t* samples, size_t count) override {
        if (writer_.is_open())
            writer_.append(reinterpret_cast<const uint8_t*>(samples), count * sizeof(int16_t));
    }

private:
    common::WavFileWriter writer_;
};

// ---- SAPI 5

class VoiceToken final : public Counted<sapi::SpeechObjectToken> {
public:
    VoiceToken(size_t index, VoiceInfo info) : index(index), info_(std::move(info)) {}
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::SpeechObjectToken>(this, iid, sapi::iid_iunknown, out);
    }
    HResult get_Id(std::u16string* id) override {
        *id = wide_utf8(info_.identifier);
        return sapi::s_ok;
    }
    HResult GetDescription(int32_t, std::u16string* description) override {
        *description = wide_utf8(info_.name);
        return sapi::s_ok;
    }
    const size_t index;

private:
    VoiceInfo info_;
};

class VoiceTokens final : public Counted<sapi::SpeechObjectTokens> {
public:
    explicit VoiceTokens(const std::vector<VoiceInfo>& voices) : voices_(voices) {}
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::SpeechObjectTokens>(this, iid, sapi::iid_iunknown, out);
    }
    HResult get_Count(int32_t* count) override {
        *count = static_cast<int32_t>(voices_.size());
        return sapi::s_ok;
    }
    HResult Item(int32_t index, sapi::SpeechObjectToken** token) override {
        if (!token) return sapi::e_invalidarg;
        *token = nullptr;
        if (index < 0 || size_t(index) >= voices_.size()) return sapi::e_invalidarg;
        *token = new VoiceToken(size_t(index), voices_[size_t(index)]);
        return sapi::s_ok;
    }

private:
    const std::vector<VoiceInfo>& voices_;
};

class FileStream final : public Counted<sapi::SpeechFileStream>, public WavSink {
public:
    explicit FileStream(Impl& rt) : rt_(rt) {}
    ~FileStream() override { finish(); }
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::SpeechFileStream>(this, iid, sapi::iid_ispeech_file_stream, out);
    }
    HResult Open(const char16_t* file_name, int32_t mode, sapi::VariantBool) override {
        if (!file_name || mode != sapi::ssfm_create_for_write) return sapi::e_invalidarg;
        return open(rt_.inner.files, file_name, rt_.synth->rate_hz()) ? sapi::s_ok : sapi::e_fail;
    }
    HResult Close() override { return finish() ? sapi::s_ok : sapi::e_fail; }

private:
    Impl& rt_;
};

class Voice final : public Counted<sapi::SpeechVoice>, public Listener, public sapi::Waitable {
public:
    Voice(Impl& rt, sapi::Factory& factory) : rt_(rt), factory_(factory) {
        handle_ = factory_.add_handle(*this);
    }
    ~Voice() override {
        rt_.purge(this);
        factory_.close_handle(handle_);
        if (stream_) stream_->Release();
    }
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::SpeechVoice>(this, iid, sapi::iid_ispeech_voice, out);
    }
    HResult putref_Voice(sapi::SpeechObjectToken* token) override {
        auto* ours = dynamic_cast<VoiceToken*>(token);
        if (!ours) return sapi::e_invalidarg;
        voice_ = ours->index;
        return sapi::s_ok;
    }
    HResult putref_AudioOutputStream(sapi::SpeechBaseStream* stream) override {
        auto* ours = dynamic_cast<FileStream*>(stream);
        if (stream && !ours) return sapi::e_invalidarg;
        if (ours) ours->AddRef();
        if (stream_) stream_->Release();
        stream_ = ours;
        return sapi::s_ok;
    }
    HResult put_Rate(int32_t rate) override {
        if (rate < -10 || rate > 10) return sapi::e_invalidarg;
        rate_ = rate;
        return sapi::s_ok;
    }
    HResult put_EventInterests(int32_t events) override {
        events_ = events;
        return sapi::s_ok;
    }
    HResult Speak(const char16_t* text, int32_t flags, int32_t* stream_number) override {
        if (flags & sapi::svsf_purge_before_speak) {
            rt_.purge(this);
            pending_ = 0;
        }
        if (stream_number) *stream_number = 0;
        const std::string said = text ? sapi::narrow(text) : std::string();
        if (blank(said)) return sapi::s_ok;  // nothing to be heard
        Utterance u;
        u.owner = this;
        u.job.text_utf8 = engine_text(said);
        u.job.voice_identifier = rt_.synth->voices()[voice_].identifier;
        u.job.words_per_minute = words_per_minute_for_rate(rate_);
        u.job.pitch = default_pitch;
        u.job.ssml = (flags & sapi::svsf_is_xml) != 0;
        u.sink = stream_;
        ++pending_;
        rt_.speak(std::move(u));
        if (stream_number) *stream_number = ++streams_;
        return sapi::s_ok;
    }
    HResult GetVoices(const char16_t*, const char16_t*,
                      sapi::SpeechObjectTokens** tokens) override {
        if (!tokens) return sapi::e_invalidarg;
        *tokens = new VoiceTokens(rt_.synth->voices());
        return sapi::s_ok;
    }
    HResult SpeakCompleteEvent(intptr_t* handle) override {
        if (!handle) return sapi::e_invalidarg;
        *handle = handle_;
        return sapi::s_ok;
    }
    void on_note(uint64_t, Note note) override {
        if (note == Note::done && pending_ > 0) --pending_;
    }
    // The completion arrives as a message: while waiting nothing can change,
    // so the wait only lets the time pass.
    uint32_t wait(uint32_t timeout_ms) override {
        if (pending_ == 0) return sapi::wait_object_0;
        rt_.inner.clock.sleep_ms(timeout_ms);
        return sapi::wait_timeout;
    }

private:
    Impl& rt_;
    sapi::Factory& factory_;
    intptr_t handle_ = 0;
    size_t voice_ = 0;
    int32_t rate_ = 0;
    int32_t events_ = 0;
    int pending_ = 0;
    int32_t streams_ = 0;
    FileStream* stream_ = nullptr;
};

// ---- SAPI 4

constexpr Guid engine_id = sapi::guid("{45535045-414B-4E47-8000-000000000001}");
constexpr Guid mode_id_base = sapi::guid("{45535000-414B-4E47-8000-000000000002}");

Guid mode_id(size_t index) {
    Guid g = mode_id_base;
    g.data1 += static_cast<uint32_t>(index);
    return g;
}

void copy_name(char* out, size_t capacity, const std::string& utf8) {
    const std::string text = utf8_to_cp1252(utf8);
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

sapi::TtsModeInfoA mode_info(size_t index, const VoiceInfo& voice) {
    sapi::TtsModeInfoA m;
    m.engine_id = engine_id;
    copy_name(m.manufacturer, sizeof m.manufacturer, "eSpeak NG");
    copy_name(m.product_name, sizeof m.product_name, "espeak-ng");
    m.mode_id = mode_id(index);
    copy_name(m.mode_name, sizeof m.mode_name, voice.name);
    m.language.language_id = voice.language == "pt-br" ? 0x0416
                             : voice.language == "pt"  ? 0x0816
                                                       : 0;
    copy_name(m.language.dialect, sizeof m.language.dialect, voice.language);
    copy_name(m.speaker, sizeof m.speaker, voice.identifier);
    m.gender = static_cast<uint16_t>(voice.gender);
    return m;
}

class MultiMediaDest final : public Counted<sapi::AudioMultiMediaDevice> {
public:
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::AudioMultiMediaDevice>(this, iid, sapi::iid_iaudio_multimedia_device,
                                                   out);
    }
    HResult CustomMessage(uint32_t, sapi::SData) override { return sapi::e_notimpl; }
    HResult DeviceNumGet(uint32_t* device) override {
        *device = 0;
        return sapi::s_ok;
    }
    HResult DeviceNumSet(uint32_t) override { return sapi::s_ok; }
};

class AudioDestFile final : public Counted<sapi::AudioFile>, public WavSink {
public:
    explicit AudioDestFile(Impl& rt) : rt_(rt) {}
    ~AudioDestFile() override { finish(); }
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::AudioFile>(this, iid, sapi::iid_iaudio_file, out);
    }
    HResult Register(sapi::Unknown*) override { return sapi::s_ok; }
    HResult Set(const char16_t* file_name, uint32_t) override {
        if (!file_name) return sapi::e_invalidarg;
        return open(rt_.inner.files, file_name, rt_.synth->rate_hz()) ? sapi::s_ok : sapi::e_fail;
    }
    HResult Add(const char16_t*, uint32_t) override { return sapi::e_notimpl; }
    HResult Flush() override { return finish() ? sapi::s_ok : sapi::e_fail; }
    HResult RealTimeSet(uint16_t) override { return sapi::s_ok; }
    HResult RealTimeGet(uint16_t* real_time) override {
        *real_time = 100;
        return sapi::s_ok;
    }

private:
    Impl& rt_;
};

class Central final : public Counted<sapi::TtsCentralA>,
                      public sapi::TtsAttributesA,
                      public Listener {
public:
    Central(Impl& rt, size_t voice, AudioDestFile* file) : rt_(rt), voice_(voice), file_(file) {
        if (file_) file_->AddRef();
    }
    ~Central() override {
        rt_.purge(this);
        for (auto& [tag, sink] : text_sinks_) sink->Release();
        for (auto& [key, sink] : notify_sinks_) sink->Release();
        if (file_) file_->Release();
    }
    HResult QueryInterface(const Guid& iid, void** out) override {
        if (!out) return sapi::e_invalidarg;
        if (iid == sapi::iid_iunknown || iid == sapi::iid_itts_central_a) {
            AddRef();
            *out = static_cast<sapi::TtsCentralA*>(this);
            return sapi::s_ok;
        }
        if (iid == sapi::iid_itts_attributes_a) {
            AddRef();
            *out = static_cast<sapi::TtsAttributesA*>(this);
            return sapi::s_ok;
        }
        *out = nullptr;
        return sapi::e_nointerface;
    }
    uint32_t AddRef() override { return Counted<sapi::TtsCentralA>::AddRef(); }
    uint32_t Release() override { return Counted<sapi::TtsCentralA>::Release(); }

    HResult Inject(const char*) override { return sapi::e_notimpl; }
    HResult ModeGet(sapi::TtsModeInfoA* mode) override {
        if (!mode) return sapi::e_invalidarg;
        *mode = mode_info(voice_, rt_.synth->voices()[voice_]);
        return sapi::s_ok;
    }
    HResult Phoneme(uint32_t, uint32_t, sapi::SData, sapi::SData*) override {
        return sapi::e_notimpl;
    }
    HResult PosnGet(sapi::QWord* position) override {
        *position = 0;
        return sapi::s_ok;
    }
    HResult TextData(uint32_t charset, uint32_t, sapi::SData text, void* notify,
                     Guid notify_iid) override {
        if (charset != sapi::charset_text || (!text.data && text.size)) return sapi::e_invalidarg;
        const char* bytes = static_cast<const char*>(text.data);
        const std::string said(bytes, bytes ? strnlen(bytes, text.size) : 0);
        Utterance u;
        u.owner = this;
        u.job.text_utf8 = engine_text(said);
        u.job.voice_identifier = rt_.synth->voices()[voice_].identifier;
        u.job.words_per_minute = words_per_minute_;
        u.job.pitch = pitch_;
        u.sink = file_;
        u.tag = rt_.next_tag++;
        if (notify && notify_iid == sapi::iid_itts_buf_notify_sink) {
            auto* sink = static_cast<sapi::TtsBufNotifySink*>(notify);
            sink->AddRef();
            text_sinks_[u.tag] = sink;
        }
        rt_.speak(std::move(u));
        return sapi::s_ok;
    }
    HResult ToFileTime(sapi::QWord*, uint64_t*) override { return sapi::e_notimpl; }
    HResult AudioPause() override { return sapi::e_notimpl; }
    HResult AudioResume() override { return sapi::e_notimpl; }
    HResult AudioReset() override {
        rt_.purge(this);
        for (auto& [tag, sink] : text_sinks_) sink->Release();
        text_sinks_.clear();
        return sapi::s_ok;
    }
    HResult Register(void* notify, Guid iid, uint32_t* key) override {
        if (!notify || !key || iid != sapi::iid_itts_notify_sink_a) return sapi::e_invalidarg;
        auto* sink = static_cast<sapi::TtsNotifySinkA*>(notify);
        sink->AddRef();
        *key = ++next_key_;
        notify_sinks_[*key] = sink;
        return sapi::s_ok;
    }
    HResult UnRegister(uint32_t key) override {
        const auto found = notify_sinks_.find(key);
        if (found == notify_sinks_.end()) return sapi::e_invalidarg;
        found->second->Release();
        notify_sinks_.erase(found);
        return sapi::s_ok;
    }

    // ITTSAttributesA: speed in words per minute, pitch in hertz.
    HResult PitchGet(uint16_t* pitch) override {
        *pitch = static_cast<uint16_t>(pitch_ * 2);
        return sapi::s_ok;
    }
    HResult PitchSet(uint16_t pitch) override {
        pitch_ = std::clamp(pitch / 2, 0, 100);  // 100 Hz is espeak-ng's middle
        return sapi::s_ok;
    }
    HResult RealTimeGet(uint32_t* real_time) override {
        *real_time = 100;
        return sapi::s_ok;
    }
    HResult RealTimeSet(uint32_t) override { return sapi::s_ok; }
    HResult SpeedGet(uint32_t* speed) override {
        *speed = static_cast<uint32_t>(words_per_minute_);
        return sapi::s_ok;
    }
    HResult SpeedSet(uint32_t speed) override {
        words_per_minute_ = static_cast<int>(std::clamp<uint32_t>(speed, 80, 450));
        return sapi::s_ok;
    }
    HResult VolumeGet(uint32_t* volume) override {
        *volume = 0xFFFFFFFFu;
        return sapi::s_ok;
    }
    HResult VolumeSet(uint32_t) override { return sapi::s_ok; }

    void on_note(uint64_t tag, Note note) override {
        const auto found = text_sinks_.find(tag);
        sapi::TtsBufNotifySink* sink = found == text_sinks_.end() ? nullptr : found->second;
        switch (note) {
            case Note::started:
                if (sink) sink->TextDataStarted(0);
                break;
            case Note::audio_start:
                for (auto& [key, s] : notify_sinks_) s->AudioStart(0);
                break;
            case Note::audio_stop:
                for (auto& [key, s] : notify_sinks_) s->AudioStop(0);
                break;
            case Note::done:
                if (sink) {
                    sink->TextDataDone(0, 0);
                    sink->Release();
                    text_sinks_.erase(found);
                }
                break;
        }
    }

private:
    Impl& rt_;
    size_t voice_;
    AudioDestFile* file_;
    int words_per_minute_ = default_words_per_minute;
    int pitch_ = default_pitch;
    std::map<uint64_t, sapi::TtsBufNotifySink*> text_sinks_;
    std::map<uint32_t, sapi::TtsNotifySinkA*> notify_sinks_;
    uint32_t next_key_ = 0;
};

class Enumerator final : public Counted<sapi::TtsEnumA> {
public:
    Enumerator(Impl& rt, size_t position = 0) : rt_(rt), position_(position) {}
    HResult QueryInterface(const Guid& iid, void** out) override {
        return answer<sapi::TtsEnumA>(this, iid, sapi::iid_itts_enum_a, out);
    }
    HResult Next(uint32_t count, sapi::TtsModeInfoA* modes, uint32_t* fetched) override {
        const auto& voices = rt_.synth->voices();
        uint32_t n = 0;
        for (; n < count && position_ < voices.size(); ++n, ++position_)
            modes[n] = mode_info(position_, voices[position_]);
        if (fetched) *fetched = n;
        return n == count ? sapi::s_ok : sapi::s_false;
    }
    HResult Skip(uint32_t count) override {
        position_ = std::min(position_ + count, rt_.synth->voices().size());
        return sapi::s_ok;
    }
    HResult Reset() override {
        position_ = 0;
        return sapi::s_ok;
    }
    HResult Clone(sapi::TtsEnumA** out) override {
        *out = new Enumerator(rt_, position_);
        return sapi::s_ok;
    }
    HResult Select(Guid mode, sapi::TtsCentralA** central, sapi::Unknown* audio) override {
        if (!central) return sapi::e_invalidarg;
        *central = nullptr;
        const uint32_t index = mode.data1 - mode_id_base.data1;
        if (mode_id(index) != mode || index >= rt_.synth->voices().size())
            return sapi::e_invalidarg;
        AudioDestFile* file = nullptr;
        void* object = nullptr;
        if (audio && sapi::succeeded(audio->QueryInterface(sapi::iid_iaudio_file, &object)) &&
            object) {
            file = dynamic_cast<AudioDestFile*>(static_cast<sapi::AudioFile*>(object));
            static_cast<sapi::AudioFile*>(object)->Release();
            if (!file) return sapi::e_invalidarg;
        }
        *central = new Central(rt_, index, file);
        return sapi::s_ok;
    }

private:
    Impl& rt_;
    size_t position_;
};

template <class Object, class... Args>
sapi::Factory::Creator creator(Args&... args) {
    return [&args...](const Guid& iid, void** out) {
        auto* object = new Object(args...);
        const HResult result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    };
}

}  // namespace

Runtime::Runtime(Host& inner) : impl_(std::make_unique<Impl>(inner)) {}

Runtime::~Runtime() = default;

Host& Runtime::host() {
    return impl_->wrapped;
}

bool Runtime::register_classes(sapi::Factory& factory) {
    Impl& rt = *impl_;
    // espeak-ng starts when the first voice object is made, not here: most
    // runs never use these classes and should not pay for its start-up.
    auto with_voices = [&rt](sapi::Factory::Creator make) -> sapi::Factory::Creator {
        return [&rt, make](const Guid& iid, void** out) {
            if (!rt.synth) rt.synth = Synth::instance();
            if (!rt.synth) {
                if (out) *out = nullptr;
                return sapi::e_fail;
            }
            return make(iid, out);
        };
    };
    for (const sapi::Sapi5Classes& library : {sapi::sapi5_library, sapi::sapi54_library}) {
        factory.register_class(library.voice, with_voices(creator<Voice>(rt, factory)));
        factory.register_class(library.file_stream, with_voices(creator<FileStream>(rt)));
    }
    factory.register_class(sapi::clsid_tts_enumerator, with_voices(creator<Enumerator>(rt)));
    factory.register_class(sapi::clsid_mm_audio_dest, creator<MultiMediaDest>());
    factory.register_class(sapi::clsid_audio_dest_file, with_voices(creator<AudioDestFile>(rt)));
    return true;
}

}  // namespace host::espeak
